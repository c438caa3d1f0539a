var candidates = document.querySelectorAll('h1, h2, h3, h4, div, span, section');
for (var i = 0; i < candidates.length; i++) {
    if ((candidates[i].textContent || '').trim().indexOf('Shop') === 0) {
        scrollIntoViewInstantly(candidates[i], 'start');
        return JSON.stringify({ found: true });
    }
}
window.scrollBy(0, window.innerHeight);
return JSON.stringify({ found: false });
