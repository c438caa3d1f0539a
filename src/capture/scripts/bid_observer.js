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

function isNameCandidate(word) {
    return word.length > 1 && word.charAt(0) !== '$' && !/^\d+$/.test(word) && !/^bid$/i.test(word);
}

// Words of the auction's own labels ("Starting bid $1", "Current bid $5") that
// stand where a name would.
var AUCTION_WORDS = /^(starting|opening|current|next|min|minimum|max|maximum|highest|top|last|winning|reserve|custom|place|your|new)$/i;
var AMOUNT = '((?:\\d{1,3}(?:,\\d{3})+|\\d+)(?:\\.\\d+)?)';
var BID_AT_START = new RegExp('^(\\S+)\\s+bid:?\\s*\\$\\s?' + AMOUNT, 'i');
var BARE_BID = new RegExp('^(\\S+)\\s+(?:bid:?\\s*\\$\\s?' + AMOUNT + '|\\$\\s?' + AMOUNT + '\\s+bid)\\W*$', 'i');

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
    if (!isNameCandidate(bid.username) || AUCTION_WORDS.test(bid.username)) return null;
    return bid;
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
    if (!bid || isRedrawnRow(node, text) || inFixedChrome(node)) return;
    recordBid(bid.username, bid.amount, findAvatar(node));
}

var observer = new MutationObserver(function (mutations) {
    for (var i = 0; i < mutations.length; i++) {
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
