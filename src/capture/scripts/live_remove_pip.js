(function () {
    Array.prototype.forEach.call(document.querySelectorAll('[data-qm-pip-hide]'), function (el) {
        el.removeAttribute('data-qm-pip-hide');
    });
    var style = document.getElementById('quillmark-pip');
    if (style) style.textContent = '';
})();
