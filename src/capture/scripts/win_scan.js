var results = [];
var body = document.body;
if (body) {
    var walker = document.createTreeWalker(body, NodeFilter.SHOW_TEXT, {
        acceptNode: function (node) {
            return (node.textContent || '').indexOf('won!') >= 0 && isShownText(node)
                ? NodeFilter.FILTER_ACCEPT : NodeFilter.FILTER_SKIP;
        }
    });
    var node;
    while ((node = walker.nextNode())) {
        var el = node.parentElement;
        for (var depth = 0; depth < 6 && el && el !== body; depth++) {
            var text = el.textContent || '';
            if (text.length <= 250 && text.indexOf('won!') >= 0 && text.indexOf('$') >= 0) {
                var user = /(\S+)\s+won!/i.exec(text);
                var price = priceText(text);
                if (user && price !== null) {
                    var title = /won!\s*([\s\S]+?)\s*#\d+/i.exec(text);
                    results.push({
                        winnerUsername: user[1],
                        salePrice: price,
                        auctionNumber: numberAfterHash(text),
                        rawTitle: title ? title[1].replace(/\s+/g, ' ').trim() : null,
                        avatarURL: findAvatarURL(el)
                    });
                }
                break;
            }
            el = el.parentElement;
        }
    }
}
return JSON.stringify({ url: window.location.href, count: results.length, results: results });
