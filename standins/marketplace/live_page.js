// The stand-in live page: renders the show's activity and keeps fetching new
// activity from the stand-in server; the Sold tab loads its rows in batches as
// the last loaded row comes into view.
(function () {
    'use strict';
    var config = window.__standinConfig;
    var feed = document.getElementById('chat-feed');
    var soldList = document.getElementById('sold-list');
    var soldTab = document.getElementById('sold-tab');
    var streamPath = '/api/live/' + encodeURIComponent(config.streamId);
    var lastSequence = 0;
    var sold = { total: config.soldCount, loaded: 0, loading: false, open: false, observer: null };

    function element(tag, className, text) {
        var node = document.createElement(tag);
        if (className) node.className = className;
        if (text !== undefined && text !== null) node.textContent = text;
        return node;
    }

    function picture(src, size, className) {
        var img = document.createElement('img');
        img.className = className;
        img.alt = '';
        img.width = size;
        img.height = size;
        img.src = src;
        return img;
    }

    function avatarOf(item, name) {
        return item.avatarURL || (config.base + '/avatars/' + encodeURIComponent(name) + '.png');
    }

    function hasNumber(value) {
        return value !== undefined && value !== null;
    }

    function winNode(win) {
        var row = element('div', 'chat-row win-notice');
        row.appendChild(picture(avatarOf(win, win.username), 32, 'chat-pic'));
        var line = element('div', 'win-line');
        line.appendChild(element('span', 'chat-user', win.username));
        line.appendChild(document.createTextNode(' won! '));
        line.appendChild(element('span', 'win-title',
            win.title + (hasNumber(win.auctionNumber) ? ' #' + win.auctionNumber : '')));
        row.appendChild(line);
        row.appendChild(element('div', 'win-price', '$' + win.price));
        return row;
    }

    function bidNode(bid) {
        var row = element('div', 'chat-row bid-row');
        row.appendChild(picture(avatarOf(bid, bid.username), 24, 'chat-pic'));
        row.appendChild(element('span', 'chat-user', bid.username));
        row.appendChild(document.createTextNode(' '));
        row.appendChild(element('span', 'chat-msg', bid.message));
        return row;
    }

    function soldRowNode(row) {
        var node = element('div', 'sold-row');
        node.appendChild(picture(row.imageURL, 56, 'item-pic'));
        var info = element('div', 'sold-info');
        info.appendChild(element('div', 'sold-title', row.title));
        info.appendChild(element('div', 'sold-meta',
            (hasNumber(row.auctionNumber) ? '#' + row.auctionNumber + ' \u00b7 ' : '') + '$' + row.price));
        var buyer = element('div', 'sold-buyer');
        buyer.appendChild(picture(avatarOf(row, row.buyer), 16, 'buyer-pic'));
        buyer.appendChild(document.createTextNode('Buyer: ' + row.buyer));
        info.appendChild(buyer);
        node.appendChild(info);
        return node;
    }

    function render(item) {
        if (item.sequence <= lastSequence) return 0;
        lastSequence = item.sequence;
        if (item.type === 'win') feed.appendChild(winNode(item));
        else if (item.type === 'bid') feed.appendChild(bidNode(item));
        else return 0;
        return 1;
    }

    function setSoldTotal(total) {
        if (total === sold.total && soldTab.textContent === 'Sold (' + total + ')') return;
        sold.total = total;
        soldTab.textContent = 'Sold (' + total + ')';
    }

    function apply(answer) {
        var rendered = 0;
        answer.events.forEach(function (item) { rendered += render(item); });
        setSoldTotal(answer.soldCount);
        return rendered;
    }

    function eventsAddress() {
        return streamPath + '/events?after=' + lastSequence;
    }

    function poll() {
        fetch(eventsAddress(), { cache: 'no-store' })
            .then(function (response) { return response.json(); })
            .then(apply)
            .catch(function () {})
            .then(function () {
                checkSoldVisibility();
                setTimeout(poll, config.pollMs);
            });
    }

    // Fetches pending activity now and renders it before answering.
    function sync() {
        var request = new XMLHttpRequest();
        request.open('GET', eventsAddress(), false);
        request.send(null);
        if (request.status !== 200) throw new Error('stand-in answered ' + request.status);
        return apply(JSON.parse(request.responseText));
    }

    function lastRowVisible() {
        var last = soldList.lastElementChild;
        if (!last) return true;
        var rect = last.getBoundingClientRect();
        return rect.top < window.innerHeight && rect.bottom > 0;
    }

    function checkSoldVisibility() {
        if (sold.open && lastRowVisible()) loadMoreSold();
    }

    function watchLastRow() {
        if (!sold.observer && 'IntersectionObserver' in window) {
            sold.observer = new IntersectionObserver(function (entries) {
                entries.forEach(function (entry) { if (entry.isIntersecting) loadMoreSold(); });
            });
        }
        if (sold.observer) {
            sold.observer.disconnect();
            if (soldList.lastElementChild) sold.observer.observe(soldList.lastElementChild);
        }
        checkSoldVisibility();
    }

    function loadMoreSold() {
        if (!sold.open || sold.loading || sold.loaded >= sold.total) return;
        sold.loading = true;
        fetch(streamPath + '/sold?offset=' + sold.loaded + '&limit=' + config.soldBatch, { cache: 'no-store' })
            .then(function (response) { return response.json(); })
            .then(function (answer) {
                answer.rows.forEach(function (row) { soldList.appendChild(soldRowNode(row)); });
                sold.loaded += answer.rows.length;
                if (answer.rows.length === 0) sold.total = sold.loaded;
            })
            .catch(function () {})
            .then(function () {
                sold.loading = false;
                watchLastRow();
            });
    }

    soldTab.addEventListener('click', function () {
        var tabs = document.querySelectorAll('.shop [role="tab"]');
        for (var i = 0; i < tabs.length; i++) tabs[i].classList.toggle('active', tabs[i] === soldTab);
        sold.open = true;
        soldList.hidden = false;
        loadMoreSold();
    });
    window.addEventListener('scroll', checkSoldVisibility, { passive: true });

    window.__standin = {
        sync: sync,
        addWin: function (win) { feed.appendChild(winNode(win)); return true; },
        addBid: function (bid) { feed.appendChild(bidNode(bid)); return true; },
        lastSequence: function () { return lastSequence; },
        soldLoaded: function () { return sold.loaded; }
    };

    config.initial.forEach(render);
    setTimeout(poll, config.pollMs);
})();
