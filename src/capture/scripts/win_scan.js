// Text nodes holding "won!" are kept in an index that a mutation observer
// updates as the page changes, so a scan costs what the notices cost, not what
// the whole chat costs. The first scan in a page walks the body once.
function noteWinNodes(index, node) {
    if (node.nodeType === 3) {
        if (node.data.indexOf('won!') >= 0) {
            index.nodes.add(node);
            index.ordered = null;
        }
        return;
    }
    if (node.nodeType !== 1 && node.nodeType !== 11) return;
    if ((node.textContent || '').indexOf('won!') < 0) return;
    var walker = document.createTreeWalker(node, NodeFilter.SHOW_TEXT);
    for (var text = walker.nextNode(); text; text = walker.nextNode()) {
        if (text.data.indexOf('won!') >= 0) index.nodes.add(text);
    }
    index.ordered = null;
}
function noteWinMutations(index, records) {
    for (var i = 0; i < records.length; i++) {
        var record = records[i];
        if (record.type === 'characterData') {
            noteWinNodes(index, record.target);
            continue;
        }
        var added = record.addedNodes;
        for (var j = 0; j < added.length; j++) noteWinNodes(index, added[j]);
    }
}
function winIndex(body) {
    var index = window.__quillWinIndex;
    if (index && index.body === body) {
        noteWinMutations(index, index.observer.takeRecords());
        return index;
    }
    if (index) index.observer.disconnect();
    index = { body: body, nodes: new Set(), ordered: null, observer: null, reads: new WeakMap() };
    var fresh = index;
    index.observer = new MutationObserver(function (records) { noteWinMutations(fresh, records); });
    index.observer.observe(body, { childList: true, subtree: true, characterData: true });
    noteWinNodes(index, body);
    window.__quillWinIndex = index;
    return index;
}
// The indexed nodes still in the page and still saying "won!", in document order.
function winNodes(index) {
    var gone = false;
    index.nodes.forEach(function (node) {
        if (!node.isConnected || node.data.indexOf('won!') < 0) {
            index.nodes.delete(node);
            gone = true;
        }
    });
    if (gone || !index.ordered) {
        index.ordered = Array.from(index.nodes).sort(function (a, b) {
            return a.compareDocumentPosition(b) & Node.DOCUMENT_POSITION_FOLLOWING ? -1 : 1;
        });
    }
    return index.ordered;
}

// The notice read from an element's shown text, or null: the name is the last
// word before "won!" that can be a name; the price is the last amount after
// the auction number (the last "#<digits>"), or after "won!" when there is no
// number, or else the last amount before the name (a price laid out first);
// what lies between "won!" and the number is the title, "$" and "#" included.
function readWin(text) {
    var won = /won!/i.exec(text);
    if (!won) return null;
    var words = text.slice(0, won.index).split(/\s+/);
    var user = null;
    var userAt = 0;
    for (var w = words.length - 1; w >= 0; w--) {
        if (isNameWord(words[w])) {
            user = words[w];
            userAt = text.lastIndexOf(user, won.index);
            break;
        }
    }
    if (!user) return null;
    var after = text.slice(won.index + 4);
    var hashes = after.match(/#\d+/g);
    var number = null;
    var titleEnd = -1;
    var priceFrom = 0;
    if (hashes) {
        titleEnd = after.lastIndexOf(hashes[hashes.length - 1]);
        number = safeNumber(hashes[hashes.length - 1].slice(1));
        priceFrom = titleEnd + hashes[hashes.length - 1].length;
    }
    var amounts = moneyAmounts(after.slice(priceFrom));
    if (!amounts.length) amounts = moneyAmounts(text.slice(0, userAt));
    if (!amounts.length) return null;
    var title = titleEnd >= 0 ? after.slice(0, titleEnd).replace(/\s+/g, ' ').trim() : '';
    return {
        winnerUsername: user,
        salePrice: amounts[amounts.length - 1].value,
        auctionNumber: number,
        rawTitle: title || null
    };
}

// Climbing from a notice's text to its parent takes in the parent's other
// children: pieces of the same line, pictures and a price stay within the
// notice; another message, the auction bar or the page chrome do not.
var NOTICE_PIECES = tagSet('SPAN A IMG PICTURE BR SUP SUB svg SCRIPT STYLE TEMPLATE');
function isNoticePiece(el) {
    if (NOTICE_PIECES[el.tagName] || RUNS[el.tagName]) return true;
    var text = withoutFormatCharacters(el.textContent || '');
    return /^\s*\$\s?[\d,.]+\s*$/.test(text) || !/[\p{L}\p{N}]/u.test(text);
}
function climbStaysInNotice(el) {
    var parent = el.parentElement;
    for (var sibling = parent.firstElementChild; sibling; sibling = sibling.nextElementSibling) {
        if (sibling !== el && !isNoticePiece(sibling)) return false;
    }
    return true;
}

// A notice read at an earlier scan is read again only when its text changed;
// its picture is looked up every time.
function withAvatar(win, el) {
    return {
        winnerUsername: win.winnerUsername,
        salePrice: win.salePrice,
        auctionNumber: win.auctionNumber,
        rawTitle: win.rawTitle,
        avatarURL: findAvatarURL(el)
    };
}

var results = [];
var body = document.body;
if (body) {
    var index = winIndex(body);
    var nodes = winNodes(index);
    for (var i = 0; i < nodes.length; i++) {
        var node = nodes[i];
        if (!isShownText(node)) continue;
        var known = index.reads.get(node);
        if (known && known.el.contains(node) && known.el.textContent === known.content) {
            results.push(withAvatar(known.win, known.el));
            continue;
        }
        var el = node.parentElement;
        for (var depth = 0; depth < 6 && el && el !== body; depth++) {
            var content = el.textContent || '';
            if (content.length <= 250 && content.indexOf('$') >= 0) {
                var win = readWin(shownText(el));
                if (win) {
                    index.reads.set(node, { el: el, content: content, win: win });
                    results.push(withAvatar(win, el));
                    break;
                }
            }
            if (!climbStaysInNotice(el)) break;
            el = el.parentElement;
        }
    }
}
return JSON.stringify({ url: window.location.href, count: results.length, results: results });
