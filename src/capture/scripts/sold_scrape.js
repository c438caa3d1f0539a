var auctions = [];
var seen = Object.create(null);

// A row's lines as the page shows them; its raw text runs neighbouring fields
// together ("Vintage cardBuyer: bob$12").
function renderedText(el) {
    var text = el.innerText;
    return typeof text === 'string' && text.trim() ? text : (el.textContent || '');
}

function readRow(el, numberKey) {
    var text = renderedText(el);
    var user = /Buyer:\s*(\S+)/i.exec(text);
    var price = priceText(text);
    if (!user || price === null) return;
    var number = numberAfterHash(text);
    var title = null;
    var lines = text.trim().split('\n');
    for (var i = 0; i < lines.length; i++) {
        var line = lines[i].trim();
        if (line) {
            title = line;
            break;
        }
    }
    var key = user[1] + '-' + price + '-' + numberKey(text, number);
    if (seen[key]) return;
    seen[key] = true;
    auctions.push({
        winnerUsername: user[1],
        salePrice: price,
        auctionNumber: number,
        rawTitle: title,
        avatarURL: findAvatarURL(el)
    });
}

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
        var el = node.parentElement;
        for (var depth = 0; depth < 8 && el && el !== body; depth++) {
            var text = el.textContent || '';
            if (text.length > 600) break;
            if (/Buyer:/i.test(text) && /\$\d/.test(text) && text.length > 10) {
                readRow(el, function (rowText, number) { return number ? String(number) : ''; });
                break;
            }
            el = el.parentElement;
        }
    }
    if (auctions.length === 0) {
        var cards = document.querySelectorAll('[data-testid="auction-card"], [class*="AuctionCard"]');
        for (var c = 0; c < cards.length; c++) {
            readRow(cards[c], function (rowText) {
                var digits = /#(\d+)/.exec(rowText);
                return digits ? digits[1] : '';
            });
        }
    }
}
return JSON.stringify({ url: window.location.href, count: auctions.length, auctions: auctions });
