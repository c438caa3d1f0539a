var count = 0;
var last = null;
var body = document.body;
if (body) {
    var walker = document.createTreeWalker(body, NodeFilter.SHOW_TEXT, {
        acceptNode: function (node) {
            return /Buyer:/i.test(node.textContent || '') && isShownText(node)
                ? NodeFilter.FILTER_ACCEPT : NodeFilter.FILTER_SKIP;
        }
    });
    var node;
    while ((node = walker.nextNode())) {
        count++;
        last = node;
    }
}
if (last) {
    // Bring the last row on screen so the page loads the next ones.
    var el = last.parentElement;
    for (var i = 0; i < 6 && el && el !== body; i++) {
        if (el.offsetHeight > 30) break;
        el = el.parentElement;
    }
    if (el && el !== body) scrollIntoViewInstantly(el, 'end');
}
return JSON.stringify({ count: count });
