var selectors = [
    'h1',
    '[data-testid="stream-title"]',
    '[class*="streamTitle"]',
    '[class*="StreamTitle"]',
    '[class*="show-title"]',
    '[class*="broadcast-title"]'
];
for (var i = 0; i < selectors.length; i++) {
    var el = document.querySelector(selectors[i]);
    if (!el) continue;
    var text = (el.textContent || '').trim();
    if (text.length > 0 && text.length < 200) return JSON.stringify({ title: text });
}
var fromDocument = (document.title || '').replace(/\s*[-|]\s*Whatnot.*$/i, '').trim();
if (fromDocument.length > 0 && fromDocument.length < 200) return JSON.stringify({ title: fromDocument });
return JSON.stringify({ title: null });
