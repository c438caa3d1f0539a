// Sold rows read so far by this scrape, merged by their key: a windowed list
// holds only the rows in view, so the rows are read at every scroll step. The
// Sold tab script starts a new set; the final scrape takes it.
function soldRowSet() {
    var set = window.__quillSoldRows;
    if (!set) {
        set = { seen: Object.create(null), auctions: [] };
        window.__quillSoldRows = set;
    }
    return set;
}

// Status badges a row may show above its title.
var ROW_STATUS = /^(shipped|delivered|pending|processing|cancell?ed|refunded|paid|unpaid|returned|completed|in transit|label created|ready to ship)$/i;

// One row into the set; the title is the row's first line that is no status
// badge, and the price (the last amount) and number (the last "#<digits>") are
// read outside the title, so a "$" or a "#" in the title stays in it.
function readSoldRow(set, el, numberKey) {
    var text = shownText(el, true);
    var user = /Buyer:\s*(\S+)/i.exec(text);
    if (!user) return;
    var lines = text.split('\n');
    var title = null;
    var titleAt = -1;
    for (var i = 0; i < lines.length; i++) {
        var line = lines[i].replace(/\s+/g, ' ').trim();
        if (line && !ROW_STATUS.test(line)) {
            title = line;
            titleAt = i;
            break;
        }
    }
    // A row on one line has no title of its own to leave out.
    var rest = /Buyer:/i.test(title) ? text : lines.filter(function (line, index) { return index !== titleAt; }).join('\n');
    var amounts = moneyAmounts(rest);
    if (!amounts.length) return;
    var price = amounts[amounts.length - 1].value;
    var hashes = rest.match(/#\d+/g);
    var number = hashes ? safeNumber(hashes[hashes.length - 1].slice(1)) : null;
    var key = user[1] + '-' + price + '-' + numberKey(text, number);
    if (set.seen[key]) return;
    set.seen[key] = true;
    set.auctions.push({
        winnerUsername: user[1],
        salePrice: price,
        auctionNumber: number,
        rawTitle: title,
        avatarURL: findAvatarURL(el)
    });
}

function buyerCount(el) {
    var found = (el.textContent || '').match(/Buyer:/gi);
    return found ? found.length : 0;
}

// Every "Buyer:" row now in the page into the set; answers the last row's
// "Buyer:" text node (null when there is none). A row without a price is
// skipped: the climb stops before an element that holds a second row.
function readSoldRows(set) {
    var last = null;
    var body = document.body;
    if (!body) return last;
    var walker = document.createTreeWalker(body, NodeFilter.SHOW_TEXT);
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
        if (!/Buyer:/i.test(node.data) || !isShownText(node)) continue;
        last = node;
        var el = node.parentElement;
        for (var depth = 0; depth < 8 && el && el !== body; depth++) {
            var text = el.textContent || '';
            if (text.length > 600) break;
            if (/Buyer:/i.test(text) && /\$\s?\d/.test(text) && text.length > 10) {
                readSoldRow(set, el, function (rowText, number) { return number ? String(number) : ''; });
                break;
            }
            var parent = el.parentElement;
            if (!parent || buyerCount(parent) > 1) break;
            el = parent;
        }
    }
    return last;
}
