var candidates = document.querySelectorAll('button, [role="tab"], a, div[class*="tab"], span');
for (var i = 0; i < candidates.length; i++) {
    var label = (candidates[i].textContent || '').trim();
    if (/^Sold(\s*\((?:\d{1,3}(?:,\d{3})+|\d+)\))?$/i.test(label)) {
        candidates[i].click();
        var count = /\(([\d,]+)\)/.exec(label);
        var expected = count ? parseInt(count[1].replace(/,/g, ''), 10) : null;
        return JSON.stringify({ clicked: true, expectedCount: Number.isSafeInteger(expected) ? expected : null });
    }
}
return JSON.stringify({ clicked: false, expectedCount: null });
