// The amount after the first "$", as plain decimal text: "$1,250.50" gives "1250.50".
// Commas count as grouping only in groups of three, so "$12,5" reads as 12.
function priceText(text) {
    var match = /\$((?:\d{1,3}(?:,\d{3})+|\d+)(?:\.\d+)?)/.exec(text);
    return match ? match[1].replace(/,/g, '') : null;
}
// A "#" number, or null when absent or too large to travel as an exact integer.
function numberAfterHash(text) {
    var match = /#(\d+)/.exec(text);
    if (!match) return null;
    var value = parseInt(match[1], 10);
    return Number.isSafeInteger(value) ? value : null;
}
function scrollIntoViewInstantly(el, block) {
    try {
        el.scrollIntoView({ behavior: 'instant', block: block });
    } catch (e) {
        el.scrollIntoView(block === 'start');
    }
}
// Text the page shows: script and style sources are text nodes too, and the
// page's own code may well contain "won!" or "Buyer:".
function isShownText(node) {
    var parent = node.parentElement;
    return !!parent && !/^(SCRIPT|STYLE|NOSCRIPT|TEMPLATE)$/i.test(parent.tagName);
}
