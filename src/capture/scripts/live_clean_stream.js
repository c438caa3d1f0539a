// Hides the live page's controls and overlays around the stream. Elements are
// only marked; one style rule hides the marks, so undoing is unmarking.
(function () {
    var ATTR = 'data-qm-hide';
    function hasMedia(el) {
        return el.tagName === 'VIDEO' || el.tagName === 'CANVAS' || el.querySelector('video, canvas') !== null;
    }
    // The stream itself is never hidden, whatever container a search reaches.
    function safeTag(el) {
        if (el && !hasMedia(el)) el.setAttribute(ATTR, '1');
    }
    function each(selector, visit) {
        Array.prototype.forEach.call(document.querySelectorAll(selector), visit);
    }
    function trimmedText(el) {
        return (el.textContent || '').trim();
    }

    each('[' + ATTR + ']', function (el) { el.removeAttribute(ATTR); });

    each('button', function (button) {
        var text = trimmedText(button);
        if (/^Follow$/i.test(text) || /^Bid/i.test(text) || /^Custom$/i.test(text) || /^Awaiting/i.test(text))
            safeTag(button);
    });

    each('input, textarea', function (input) {
        if (!/say something/i.test(input.getAttribute('placeholder') || '')) return;
        var el = input.parentElement;
        for (var i = 0; i < 3 && el; i++) el = el.parentElement;
        safeTag(el || input);
    });

    each('div, span', function (el) {
        var text = el.textContent || '';
        if (text.indexOf('Giveaway') >= 0 && text.indexOf('entries') >= 0 && text.length < 80) safeTag(el);
    });

    var width = window.innerWidth;
    var height = window.innerHeight;
    each('button', function (button) {
        var box = button.getBoundingClientRect();
        if (box.width > 0 && box.width < 50 && box.height < 50 && trimmedText(button) === '' &&
            button.querySelector('svg') !== null && box.right > width * 0.88)
            safeTag(button);
    });

    each('button', function (button) {
        if (!/^Follow$/i.test(trimmedText(button))) return;
        var el = button.parentElement;
        for (var i = 0; i < 3 && el; i++, el = el.parentElement) {
            var box = el.getBoundingClientRect();
            if (box.height > 30 && box.height < 80 && box.top < 80) {
                safeTag(el);
                return;
            }
        }
    });

    each('button', function (button) {
        if (!/^Bid/i.test(trimmedText(button))) return;
        var el = button.parentElement;
        for (var i = 0; i < 4 && el; i++, el = el.parentElement) {
            var box = el.getBoundingClientRect();
            if (box.height > 80 && box.height < 250 && box.bottom > height - 20 && box.width > width * 0.7) {
                safeTag(el);
                return;
            }
        }
    });

    if (document.body) {
        var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
            acceptNode: function (node) {
                return /is Winning/i.test(node.textContent || '') ? NodeFilter.FILTER_ACCEPT : NodeFilter.FILTER_SKIP;
            }
        });
        var node;
        while ((node = walker.nextNode())) {
            var el = node.parentElement;
            for (var i = 0; i < 3 && el; i++, el = el.parentElement) {
                if ((el.textContent || '').length < 60) {
                    safeTag(el);
                    break;
                }
            }
        }
    }

    each('span', function (span) {
        var box = span.getBoundingClientRect();
        if (box.top < 40 && box.right > width * 0.75 && /^\d{1,6}$/.test(trimmedText(span))) safeTag(span);
    });

    var style = document.getElementById('quillmark-clean-stream');
    if (!style) {
        style = document.createElement('style');
        style.id = 'quillmark-clean-stream';
        document.head.appendChild(style);
    }
    style.textContent = '[data-qm-hide] { display: none !important; }';
})();
