var set = soldRowSet();
var last = readSoldRows(set);
var atEnd = true;
var body = document.body;
function scrollBoxTo(box, top) {
    try {
        box.scrollTo({ top: top, behavior: 'instant' });
    } catch (e) {
        box.scrollTop = top;
    }
}
if (last) {
    var el = last.parentElement;
    for (var i = 0; i < 6 && el && el !== body; i++) {
        if (el.offsetHeight > 30) break;
        el = el.parentElement;
    }
    // A list in a scroll box of its own steps one view further each pass, so a
    // windowed list shows every row once and a spinner below the rows comes
    // into view; a list the page scrolls brings its last row on screen.
    var box = null;
    for (var up = last.parentElement; up && up !== body && up !== document.documentElement; up = up.parentElement) {
        var overflow = getComputedStyle(up).overflowY;
        if ((overflow === 'auto' || overflow === 'scroll' || overflow === 'overlay') &&
            up.scrollHeight > up.clientHeight + 1) {
            box = up;
            break;
        }
    }
    if (box) {
        scrollBoxTo(box, box.scrollTop + Math.max(1, box.clientHeight - 40));
        atEnd = box.scrollTop + box.clientHeight >= box.scrollHeight - 2;
    } else if (el && el !== body) {
        scrollIntoViewInstantly(el, 'end');
    }
}
return JSON.stringify({ count: set.auctions.length, atEnd: atEnd });
