(function () {
    Array.prototype.forEach.call(document.querySelectorAll('[data-qm-hide]'), function (el) {
        el.removeAttribute('data-qm-hide');
    });
    var style = document.getElementById('quillmark-clean-stream');
    if (style) style.textContent = '';
})();
