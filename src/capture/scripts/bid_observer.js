if (window.__zavBidObserverInstalled) {
    return JSON.stringify({ installed: true, alreadyRunning: true });
}
if (!document.body) {
    throw new Error('The page has no body to watch yet');
}
// No prototype: a user named "__proto__" or "constructor" is just another key.
var store = Object.create(null);
var own = Object.prototype.hasOwnProperty;

function findAvatar(el) {
    if (!el) return null;
    var images = el.querySelectorAll('img');
    for (var i = 0; i < images.length; i++) {
        var img = images[i];
        var src = img.src || '';
        if (src && src.indexOf('http') === 0 && (img.width <= 64 || img.naturalWidth <= 64)) return src;
    }
    return null;
}

function amountValue(text) {
    var value = parseFloat(text);
    return isFinite(value) ? value : 0;
}

function recordBid(username, bidAmount, avatarURL) {
    if (!username) return;
    var now = Date.now();
    if (own.call(store, username)) {
        var record = store[username];
        record.bidCount += 1;
        record.lastSeenAt = now;
        if (avatarURL && !record.avatarURL) record.avatarURL = avatarURL;
        if (bidAmount && amountValue(bidAmount) > (record.highestBid ? amountValue(record.highestBid) : 0)) {
            record.highestBid = bidAmount;
        }
        return;
    }
    store[username] = {
        username: username,
        bidCount: 1,
        highestBid: bidAmount || null,
        avatarURL: avatarURL || null,
        lastSeenAt: now
    };
}

// User names may be one character long, all digits or in any script: the
// name is the message's first word, so nothing about its shape rules it out.
// The one exception is "I", which starts chat about bidding ("I bid $20 last
// time") far more often than it is someone's name.
function isNameCandidate(word) {
    return word.length > 0 && word !== 'I' && !/^[A-Z]{0,3}\$/.test(word) && !/^bid$/i.test(word);
}

// Words of the auction's own labels ("Starting bid $1", "Current bid $5") that
// stand where a name would.
var AUCTION_WORDS = /^(starting|opening|current|next|min|minimum|max|maximum|highest|top|last|winning|reserve|custom|place|your|new)$/i;
var AMOUNT = '((?:\\d{1,3}(?:,\\d{3})+|\\d+)(?:\\.\\d+)?)';
// A dollar sign, perhaps after its country's letters ("US$", "C$", "AU$").
var DOLLAR = '(?:[A-Z]{1,3})?\\$\\s?';
var BID_AT_START = new RegExp('^(\\S+)\\s+bid:?\\s*' + DOLLAR + AMOUNT, 'i');
var BARE_BID = new RegExp('^(\\S+)\\s+(?:bid:?\\s*' + DOLLAR + AMOUNT + '|' + DOLLAR + AMOUNT + '\\s+bid)\\W*$', 'i');

// The bid a notice's text tells, as { username, amount } or null. The name is
// the notice's first word (after symbols and badges): chat that only talks
// about bidding ("anyone going to bid $5?") names nobody.
function noticeBid(text) {
    if (text.length > 300 || text.length < 3) return null;
    var words = text.split(/\s+/).filter(function (word) { return isNameWord(word) || word.charAt(0) === '$'; });
    var line = words.join(' ');
    var bid = null;
    var match = BID_AT_START.exec(line);
    if (match) {
        bid = { username: match[1], amount: match[2].replace(/,/g, '') };
    } else if ((match = /^(\S+)\s+placed\s+a?\s*bid/i.exec(line))) {
        bid = { username: match[1], amount: priceText(line) };
    } else if ((match = /^(\S+)\s+is\s+Winning/i.exec(line))) {
        bid = { username: match[1], amount: priceText(line) };
    } else if ((match = BARE_BID.exec(line))) {
        bid = { username: match[1], amount: (match[2] || match[3]).replace(/,/g, '') };
    }
    if (!bid) return null;
    bid.username = bid.username.replace(/:$/, '');
    if (!isNameCandidate(bid.username)) return null;
    bid.auctionWord = AUCTION_WORDS.test(bid.username);
    return bid;
}

// Whether the notice's first text stands alone in its element and is the
// name: a user called "max" in the name element of a chat message, not the
// "Max bid $25" of an auction label.
function nameStandsAlone(node, username) {
    var walker = document.createTreeWalker(node, NodeFilter.SHOW_TEXT);
    for (var text = walker.nextNode(); text; text = walker.nextNode()) {
        var shown = withoutFormatCharacters(text.data).trim();
        if (shown) return shown.replace(/:$/, '') === username && text.parentElement !== node;
    }
    return false;
}

// The auction bar and other fixed chrome: mounted again, it is no new message.
function inFixedChrome(el) {
    for (var node = el; node && node !== document.body; node = node.parentElement) {
        var position = getComputedStyle(node).position;
        if (position === 'fixed' || position === 'sticky') return true;
    }
    return false;
}

// A row a virtualised feed draws again keeps its key attribute and its text.
var KEY_ATTRIBUTES = ['data-index', 'data-item-index', 'data-key', 'data-id', 'data-message-id', 'id'];
var seenRows = Object.create(null);
function isRedrawnRow(el, text) {
    for (var i = 0; i < KEY_ATTRIBUTES.length; i++) {
        var key = el.getAttribute(KEY_ATTRIBUTES[i]);
        if (key) {
            key = KEY_ATTRIBUTES[i] + '=' + key;
            if (own.call(seenRows, key) && seenRows[key] === text) return true;
            seenRows[key] = text;
            return false;
        }
    }
    return false;
}

// A feed that draws again the rows scrolled back into view, without keys:
// the rows it takes away are remembered by their text, and a row that comes
// back with the text of one taken away is that row again. Rows read are
// remembered by their element so their leaving can be noticed. Only the most
// recent departures are kept: a chat that drops its old rows for good would
// otherwise grow the store all show long.
var DEPARTED_KEPT = 2000;
var readRows = new WeakMap();
var departed = new Map();
function noteDepartedText(text) {
    departed.set(text, (departed.get(text) || 0) + 1);
    if (departed.size > DEPARTED_KEPT) departed.delete(departed.keys().next().value);
}
function noteDeparted(el) {
    if (readRows.has(el)) {
        noteDepartedText(readRows.get(el));
        return;
    }
    if (!el.firstElementChild) return;
    var walker = document.createTreeWalker(el, NodeFilter.SHOW_ELEMENT);
    for (var inner = walker.nextNode(); inner; inner = walker.nextNode()) {
        if (readRows.has(inner)) noteDepartedText(readRows.get(inner));
    }
}
function isReturningRow(el, text) {
    if (readRows.get(el) === text) return true;
    readRows.set(el, text);
    var count = departed.get(text);
    if (!count) return false;
    if (count > 1) departed.set(text, count - 1);
    else departed.delete(text);
    return true;
}
function hasRowKey(el) {
    for (var i = 0; i < KEY_ATTRIBUTES.length; i++) {
        if (el.getAttribute(KEY_ATTRIBUTES[i])) return true;
    }
    return false;
}

function readNotice(node) {
    // A group of messages inserted at once: each is read on its own.
    var messages = [];
    for (var child = node.firstElementChild; child; child = child.nextElementSibling) {
        if (noticeBid(shownText(child))) messages.push(child);
    }
    if (messages.length > 1) {
        for (var i = 0; i < messages.length; i++) readNotice(messages[i]);
        return;
    }
    var text = shownText(node).replace(/\s+/g, ' ').trim();
    var bid = noticeBid(text);
    if (!bid || (bid.auctionWord && !nameStandsAlone(node, bid.username))) return;
    if (inFixedChrome(node)) return;
    if (hasRowKey(node) ? isRedrawnRow(node, text) : isReturningRow(node, text)) return;
    recordBid(bid.username, bid.amount, findAvatar(node));
}

var observer = new MutationObserver(function (mutations) {
    for (var i = 0; i < mutations.length; i++) {
        var removed = mutations[i].removedNodes;
        for (var r = 0; r < removed.length; r++) {
            if (removed[r].nodeType === Node.ELEMENT_NODE) noteDeparted(removed[r]);
        }
        var added = mutations[i].addedNodes;
        for (var j = 0; j < added.length; j++) {
            if (added[j].nodeType === Node.ELEMENT_NODE) readNotice(added[j]);
        }
    }
});
observer.observe(document.body, { childList: true, subtree: true });
// Marked only once the observer runs, so a failed install can be tried again.
window.__zavBidders = store;
window.__zavBidObserverInstalled = true;
return JSON.stringify({ installed: true, alreadyRunning: false });
