function findAvatarURL(container) {
    if (!container) return null;
    var images = container.querySelectorAll('img');
    for (var i = 0; i < images.length; i++) {
        var img = images[i];
        var src = img.src || '';
        if (!src) continue;
        var alt = (img.alt || '').toLowerCase();
        if (src.indexOf('avatar') >= 0 || src.indexOf('profile') >= 0 || src.indexOf('user') >= 0 ||
            alt.indexOf('avatar') >= 0 || alt.indexOf('profile') >= 0 ||
            (img.width <= 64 && img.height <= 64 && src.indexOf('http') === 0)) {
            return src;
        }
    }
    for (var j = 0; j < images.length; j++) {
        var any = images[j].src || '';
        if (any.indexOf('http') === 0) return any;
    }
    return null;
}
