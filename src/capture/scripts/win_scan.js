// Text nodes holding "won!" are kept in an index that a mutation observer
// updates as the page changes, so a scan costs what the notices cost, not what
// the whole chat costs. The first scan in a page walks the body once. Each
// node the page added keeps the element it came in with (`arrival`).
function noteWinNodes(index, node, arrival) {
    if (node.nodeType === 3) {
        if (node.data.indexOf('won!') >= 0) {
            index.nodes.add(node);
            if (arrival) index.arrivals.set(node, arrival);
            index.ordered = null;
        }
        return;
    }
    if (node.nodeType !== 1 && node.nodeType !== 11) return;
    if ((node.textContent || '').indexOf('won!') < 0) return;
    var walker = document.createTreeWalker(node, NodeFilter.SHOW_TEXT);
    for (var text = walker.nextNode(); text; text = walker.nextNode()) {
        if (text.data.indexOf('won!') < 0) continue;
        index.nodes.add(text);
        if (arrival) index.arrivals.set(text, arrival);
    }
    index.ordered = null;
}
function noteWinMutations(index, records) {
    for (var i = 0; i < records.length; i++) {
        var record = records[i];
        noteChange(index, record.target);
        if (record.type === 'characterData') {
            noteWinNodes(index, record.target, null);
            continue;
        }
        var added = record.addedNodes;
        for (var j = 0; j < added.length; j++) noteWinNodes(index, added[j], added[j]);
    }
}
function winIndex(body) {
    var index = window.__quillWinIndex;
    if (index && index.body === body) {
        noteWinMutations(index, index.observer.takeRecords());
        return index;
    }
    if (index) index.observer.disconnect();
    index = { body: body, nodes: new Set(), ordered: null, observer: null, reads: new WeakMap(),
              repeats: new WeakMap(), readings: new Map(), arrivals: new WeakMap(), scans: 0, changed: [],
              generation: newGeneration(), answers: 0, answered: new Map() };
    var fresh = index;
    index.observer = new MutationObserver(function (records) { noteWinMutations(fresh, records); });
    index.observer.observe(body, { childList: true, subtree: true, characterData: true });
    noteWinNodes(index, body);
    window.__quillWinIndex = index;
    return index;
}
// Where the page changed since the previous scan. While nobody scans (polling
// switched off) a busy page would pile up changes: past a bound the next scan
// takes every element as changed.
var MAX_CHANGES = 5000;
function noteChange(index, target) {
    if (index.changed === null) return;
    index.changed.push(target);
    if (index.changed.length > MAX_CHANGES) index.changed = null;
}
// The nodes within which the page changed since the previous scan: where a
// change was made, and every element around it; null when every one counts.
function touchedSinceLastScan(index) {
    if (index.changed === null) {
        index.changed = [];
        return null;
    }
    var touched = new Set();
    for (var i = 0; i < index.changed.length; i++) {
        for (var node = index.changed[i]; node && !touched.has(node); node = node.parentNode) touched.add(node);
    }
    index.changed = [];
    return touched;
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
// number, or else the last amount before the name (a price laid out first), or
// else the last amount between "won!" and the number (a price written before
// the number, left out of the title). The title is what lies between "won!"
// and the number, "$" and "#" included; without a number, what lies between
// "won!" and the price.
// The text before an amount, without the country letters of its dollar ("US$").
function textBefore(text, amount) {
    return text.slice(0, amount.index).replace(/\b[A-Z]{1,3}$/, '');
}
var TITLE_EDGE = /^[-\u2013\u2014\u00B7|:,\s]+|[-\u2013\u2014\u00B7|:,\s]+$/g;
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
    var title = titleEnd >= 0 ? after.slice(0, titleEnd) : '';
    // A title cut around a price loses the separators that stood beside it.
    var cut = false;
    if (titleEnd < 0) {
        cut = true;
        title = amounts.length ? textBefore(after, amounts[amounts.length - 1]) : after;
    }
    if (!amounts.length) amounts = moneyAmounts(text.slice(0, userAt));
    if (!amounts.length && titleEnd >= 0) {
        amounts = moneyAmounts(title);
        if (amounts.length) {
            var own = amounts[amounts.length - 1];
            title = textBefore(title, own) + ' ' + title.slice(own.end);
            cut = true;
        }
    }
    if (!amounts.length) return null;
    title = title.replace(/\s+/g, ' ').trim();
    if (cut) title = title.replace(TITLE_EDGE, '');
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
// Parts of a notice drawn as elements of their own and set apart by the
// page's CSS (a flex row or a grid with gaps, inline blocks with margins) are
// laid out side by side, where the messages of a feed stand one under the other.
function laysOutInARow(el) {
    var style = getComputedStyle(el);
    var display = style.display;
    if (display === 'flex' || display === 'inline-flex') return style.flexDirection.indexOf('row') === 0;
    if (display === 'grid' || display === 'inline-grid') return style.gridTemplateColumns.split(' ').length > 1;
    for (var child = el.firstElementChild; child; child = child.nextElementSibling) {
        var shown = getComputedStyle(child).display;
        if (shown !== 'none' && shown.indexOf('inline') !== 0) return false;
    }
    return true;
}
function climbStaysInNotice(el) {
    var parent = el.parentElement;
    for (var sibling = parent.firstElementChild; sibling; sibling = sibling.nextElementSibling) {
        if (sibling !== el && !isNoticePiece(sibling)) return laysOutInARow(parent);
    }
    return true;
}

// A win notice without an auction number names no more than its buyer and
// price, so a second win of the same buyer at the same price reads exactly as
// the first. A notice of a reading already reported that is new in the page
// while no notice of that reading was there at the previous scan is taken for a
// new win, reported with `repeat` (2 for the second), unless the page is
// drawing old rows again: other known notices came back in the same scan, or
// the notice came in with a much larger piece of the page (a feed mounted
// again). A re-render that swaps a notice between two scans keeps its reading.
// A missed win is a lost label and a lost sale, a wrong repeat a spare label:
// where the page cannot tell, the doubt goes to the win.
function cameWithMore(index, read) {
    var arrival = index.arrivals.get(read.node);
    if (!arrival || arrival === read.el || !arrival.contains(read.el)) return false;
    return (arrival.textContent || '').length > 2 * (read.el.textContent || '').length + 40;
}
function readingKey(win) {
    return win.winnerUsername + '\n' + win.salePrice + '\n' + (win.auctionNumber === null ? '' : win.auctionNumber);
}
function assignRepeats(index, reads) {
    var scan = ++index.scans;
    var returning = [];
    for (var i = 0; i < reads.length; i++) {
        var read = reads[i];
        read.key = read.win.key || (read.win.key = readingKey(read.win)); // a reading's key is kept with it
        var assigned = index.repeats.get(read.node);
        if (assigned && assigned.key === read.key) {
            read.repeat = assigned.repeat;
            continue;
        }
        var seen = index.readings.get(read.key);
        if (!seen) {
            seen = { repeat: 1, scan: scan };
            index.readings.set(read.key, seen);
        } else if (seen.scan < scan - 1) {
            returning.push(read);
            continue;
        }
        read.repeat = seen.repeat;
        index.repeats.set(read.node, { key: read.key, repeat: read.repeat });
    }
    var redrawn = returning.length > 1;
    for (var r = 0; r < returning.length; r++) {
        var back = returning[r];
        var reading = index.readings.get(back.key);
        if (!redrawn && back.win.auctionNumber === null && !cameWithMore(index, back)) reading.repeat += 1;
        back.repeat = reading.repeat;
        index.repeats.set(back.node, { key: back.key, repeat: back.repeat });
    }
    for (var k = 0; k < reads.length; k++) index.readings.get(reads[k].key).scan = scan;
}

// The answer names itself with a cursor: the index's generation (new with each
// index, so with each page load) and the number of its answers. A caller that
// hands back the cursor of its last answer gets only the notices that are new
// since then or read otherwise (a price or a name filled in later, a repeat
// count); a caller without a cursor, or with one the page does not know (from
// before a load or a crash, or of an answer that went astray), gets every notice.
// What each recent answer reported is kept per cursor, a few callers' worth, so
// one caller's scans do not send another back to every notice.
var KEPT_ANSWERS = 4;
function newGeneration() {
    return Date.now().toString(36) + '.' + Math.floor(Math.random() * 0x7fffffff).toString(36);
}
function sameReport(before, read) {
    if (!before || before.repeat !== read.repeat) return false;
    var a = before.win;
    var b = read.win;
    return a === b || (a.winnerUsername === b.winnerUsername && a.salePrice === b.salePrice &&
                       a.auctionNumber === b.auctionNumber && a.rawTitle === b.rawTitle);
}
function answerReads(index, reads, since) {
    var reported = typeof since === 'string' ? index.answered.get(since) : undefined;
    var full = !reported;
    if (full) reported = new WeakMap();
    else index.answered.delete(since);
    var out = [];
    for (var i = 0; i < reads.length; i++) {
        var read = reads[i];
        if (!full && sameReport(reported.get(read.node), read)) continue;
        reported.set(read.node, { win: read.win, repeat: read.repeat });
        out.push(read);
    }
    var cursor = index.generation + '-' + ++index.answers;
    index.answered.set(cursor, reported);
    while (index.answered.size > KEPT_ANSWERS) index.answered.delete(index.answered.keys().next().value);
    return { reads: out, cursor: cursor };
}

// A notice read at an earlier scan is read again only when its text changed;
// the picture of a notice answered is looked up as it is answered.
function reported(read) {
    var win = read.win;
    var out = {
        winnerUsername: win.winnerUsername,
        salePrice: win.salePrice,
        auctionNumber: win.auctionNumber,
        rawTitle: win.rawTitle,
        avatarURL: findAvatarURL(read.el)
    };
    if (read.repeat > 1) out.repeat = read.repeat;
    return out;
}

// Every scan checks the reading of every notice it reads, so one whose element
// the page left alone since the previous scan still has the text it was read from.
function readNotices(index, body) {
    var reads = [];
    var touched = touchedSinceLastScan(index);
    var nodes = winNodes(index);
    for (var i = 0; i < nodes.length; i++) {
        var node = nodes[i];
        if (!isShownText(node)) continue;
        var known = index.reads.get(node);
        if (known && known.el.contains(node) &&
            ((touched && !touched.has(known.el)) || known.el.textContent === known.content)) {
            reads.push({ node: node, win: known.win, el: known.el });
            continue;
        }
        var el = node.parentElement;
        for (var depth = 0; depth < 6 && el && el !== body; depth++) {
            var content = el.textContent || '';
            if (content.length <= 250 && content.indexOf('$') >= 0) {
                var win = readWin(shownText(el));
                if (win) {
                    index.reads.set(node, { el: el, content: content, win: win });
                    reads.push({ node: node, win: win, el: el });
                    break;
                }
            }
            if (!climbStaysInNotice(el)) break;
            el = el.parentElement;
        }
    }
    assignRepeats(index, reads);
    return reads;
}

function winScanAnswer(since) {
    var answered = [];
    var cursor = null;
    var body = document.body;
    if (body) {
        var index = winIndex(body);
        var answer = answerReads(index, readNotices(index, body), since);
        answered = answer.reads;
        cursor = answer.cursor;
    }
    var results = answered.map(reported);
    return JSON.stringify({ url: window.location.href, count: results.length, results: results, cursor: cursor });
}

// The scan is made once per page and called at every poll: the shared patterns start
// each call at the beginning of their text, whatever an earlier call left in them.
function winScanFresh(since) {
    MONEY.lastIndex = 0;
    FORMAT_CHARACTERS.lastIndex = 0;
    TITLE_EDGE.lastIndex = 0;
    return winScanAnswer(since);
}
