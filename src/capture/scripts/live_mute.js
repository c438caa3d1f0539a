(function () {
    Array.prototype.forEach.call(document.querySelectorAll('video, audio'), function (media) {
        media.muted = true;
    });
})();
