// Leaves only the stream's picture: every sibling of the video (or canvas) and
// of each of its ancestors up to the body's children is marked and hidden.
(function () {
    var ATTR = 'data-qm-pip-hide';
    Array.prototype.forEach.call(document.querySelectorAll('[' + ATTR + ']'), function (el) {
        el.removeAttribute(ATTR);
    });
    var media = document.querySelector('video') || document.querySelector('canvas');
    if (!media) return;
    for (var el = media; el && el !== document.body; el = el.parentElement) {
        var parent = el.parentElement;
        if (!parent) break;
        for (var child = parent.firstElementChild; child; child = child.nextElementSibling) {
            if (child !== el) child.setAttribute(ATTR, '1');
        }
    }
    var style = document.getElementById('quillmark-pip');
    if (!style) {
        style = document.createElement('style');
        style.id = 'quillmark-pip';
        document.head.appendChild(style);
    }
    style.textContent = '[' + ATTR + '] { display: none !important; }';
})();
