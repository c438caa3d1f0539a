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

function readNotice(node) {
    var text = node.textContent || '';
    if (text.length > 300 || text.length < 3) return;
    var avatar = findAvatar(node);
    var match = /(\S+)\s+bid\s+\$((?:\d{1,3}(?:,\d{3})+|\d+)(?:\.\d+)?)/i.exec(text);
    if (match) {
        recordBid(match[1], match[2].replace(/,/g, ''), avatar);
        return;
    }
    match = /(\S+)\s+placed\s+a?\s*bid/i.exec(text);
    if (match) {
        recordBid(match[1], priceText(text), avatar);
        return;
    }
    match = /(\S+)\s+is\s+Winning/i.exec(text);
    if (match) {
        recordBid(match[1], priceText(text), avatar);
        return;
    }
    if (/\bbid\b/i.test(text) && /\$\d+/.test(text)) {
        var amount = priceText(text);
        var words = text.split(/\s+/).filter(isNameCandidate);
        if (words.length > 0 && amount !== null) recordBid(words[0], amount, avatar);
    }
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
