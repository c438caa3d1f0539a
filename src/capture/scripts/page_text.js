// A money amount: "$1,250.50", "$ 5". Commas count as grouping only in groups
// of three, so "$12,5" reads as 12.
var MONEY = /\$\s?((?:\d{1,3}(?:,\d{3})+|\d+)(?:\.\d+)?)/g;
// Every money amount of the text in order, as { index, end, value } with the
// value as plain decimal text ("1250.50").
function moneyAmounts(text) {
    var found = [];
    var match;
    MONEY.lastIndex = 0;
    while ((match = MONEY.exec(text))) {
        found.push({ index: match.index, end: match.index + match[0].length, value: match[1].replace(/,/g, '') });
    }
    return found;
}
// The first amount of the text, or null.
function priceText(text) {
    var amounts = moneyAmounts(text);
    return amounts.length ? amounts[0].value : null;
}
// A "#" number, or null when absent or too large to travel as an exact integer.
function numberAfterHash(text) {
    var match = /#(\d+)/.exec(text);
    return match ? safeNumber(match[1]) : null;
}
function safeNumber(digits) {
    var value = parseInt(digits, 10);
    return Number.isSafeInteger(value) ? value : null;
}
function scrollIntoViewInstantly(el, block) {
    try {
        el.scrollIntoView({ behavior: 'instant', block: block });
    } catch (e) {
        el.scrollIntoView(block === 'start');
    }
}
// Text the page shows: script and style sources are text nodes too, and the
// page's own code may well contain "won!" or "Buyer:".
function isShownText(node) {
    var parent = node.parentElement;
    return !!parent && !UNREAD_TAGS.test(parent.tagName);
}

var UNREAD_TAGS = /^(SCRIPT|STYLE|NOSCRIPT|TEMPLATE|svg)$/i;
// Bidi isolates, embeddings and marks, zero-width characters, the byte order
// mark and soft hyphens: an i18n formatter wraps names and amounts in them.
var FORMAT_CHARACTERS = /[\u00AD\u061C\u180E\u200B-\u200F\u202A-\u202E\u2060-\u2064\u2066-\u2069\uFEFF]/g;
function tagSet(names) {
    var set = Object.create(null);
    names.split(' ').forEach(function (name) { set[name] = true; });
    return set;
}
var UNREAD = tagSet('SCRIPT STYLE NOSCRIPT TEMPLATE svg');
// Elements whose edges may fall inside a word ("Vin<b>tage</b>").
var RUNS = tagSet('ABBR B BDI BDO CITE CODE DATA DEL DFN EM FONT I INS KBD MARK Q S SAMP SMALL STRONG SUB TIME U VAR WBR');
var BLOCKS = tagSet('ADDRESS ARTICLE ASIDE BLOCKQUOTE BR DD DIV DL DT FIELDSET FIGCAPTION FIGURE FOOTER FORM H1 H2 H3 ' +
    'H4 H5 H6 HEADER HR LI MAIN NAV OL P PRE SECTION TABLE TBODY TD TH TR UL');

function withoutFormatCharacters(text) {
    return text.replace(FORMAT_CHARACTERS, '');
}
// A word that can be a name: it has a letter or a digit (an emoji badge has neither).
function isNameWord(word) {
    return /[\p{L}\p{N}]/u.test(word);
}
// A role or flair badge beside a name: marked as a badge, and no number in it.
function isNameBadge(el) {
    var classes = typeof el.className === 'string' ? el.className : el.getAttribute('class') || '';
    return classes.length > 4 && /badge/i.test(classes) && !/\d/.test(el.textContent || '');
}

// The text an element shows with its elements' edges kept: where the layout
// separates two elements their texts are separated too (a line break around
// blocks, a space around other boxes), cents in a superscript read as
// decimals ("$12" + sup "50" is "$12.50"), format characters and name badges
// are left out. With byLayout the computed display decides what is a block
// (and hidden elements are left out); otherwise the tag does.
function shownText(root, byLayout) {
    var out = '';
    function visit(node) {
        for (var child = node.firstChild; child; child = child.nextSibling) {
            if (child.nodeType === 3) {
                out += child.data;
                continue;
            }
            if (child.nodeType !== 1) continue;
            var tag = child.tagName;
            if (UNREAD[tag] || child.hidden || isNameBadge(child)) continue;
            if (tag === 'SUP') {
                var sup = withoutFormatCharacters(child.textContent || '').trim();
                out = withoutFormatCharacters(out);
                if (/^\d\d$/.test(sup) && /\$\s?[\d,]*\d\.?$/.test(out)) {
                    out += (out.charAt(out.length - 1) === '.' ? '' : '.') + sup;
                    continue;
                }
            }
            var edge;
            if (RUNS[tag]) {
                edge = '';
            } else if (byLayout) {
                var display = getComputedStyle(child).display;
                if (display === 'none') continue;
                edge = display.indexOf('inline') === 0 ? ' ' : '\n';
            } else {
                edge = BLOCKS[tag] ? '\n' : ' ';
            }
            out += edge;
            visit(child);
            out += edge;
        }
    }
    visit(root);
    return withoutFormatCharacters(out);
}
