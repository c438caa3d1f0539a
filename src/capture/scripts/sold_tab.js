// Only tabs: a role="tab" element, a child of a tab list, or an element of the
// shop's tab row (a "tab" or "tabs" class), so a "SOLD" sticker on a listing is
// never clicked. The count may sit in a child element ("Sold" + badge "12").
function hasTabClass(el) {
    return !!el && /(^|[\s_-])tabs?($|[\s_-])/i.test(el.getAttribute('class') || '');
}
function isTab(el) {
    var parent = el.parentElement;
    return el.getAttribute('role') === 'tab' || (!!parent && parent.getAttribute('role') === 'tablist') ||
        hasTabClass(el) || hasTabClass(parent);
}
var COUNT = '((?:\\d{1,3}(?:,\\d{3})+|\\d+))';
var SOLD_LABEL = new RegExp('^Sold(?:\\s*\\(\\s*' + COUNT + '\\s*\\)|\\s+' + COUNT + ')?$', 'i');
var candidates = document.querySelectorAll('[role="tab"], [role="tablist"] > *, [class*="tab" i], [class*="tab" i] > *');
for (var i = 0; i < candidates.length; i++) {
    if (!isTab(candidates[i])) continue;
    var label = shownText(candidates[i]).replace(/\s+/g, ' ').trim();
    var match = SOLD_LABEL.exec(label);
    if (match) {
        window.__quillSoldRows = null;
        candidates[i].click();
        var digits = match[1] || match[2];
        var expected = digits ? parseInt(digits.replace(/,/g, ''), 10) : null;
        return JSON.stringify({ clicked: true, expectedCount: Number.isSafeInteger(expected) ? expected : null });
    }
}
return JSON.stringify({ clicked: false, expectedCount: null });
