// Is the seller logged in to the marketplace? Only the page's own user-interface
// markers count: the marketplace sets cookies for every visitor.
var hasLoginLink = document.querySelector('a[href*="login"]') !== null;
var isLoginPage = window.location.pathname.includes('/login');
var hasLoginForm = document.querySelector('input[type="password"]') !== null;
var markers = [
    '[data-testid="user-avatar"]',
    '[aria-label="Profile"]',
    '[class*="avatar"]',
    '[class*="Avatar"]',
    '[aria-label="Notifications"]'
];
var matchedSelector = null;
for (var i = 0; i < markers.length; i++) {
    if (document.querySelector(markers[i]) !== null) {
        matchedSelector = markers[i];
        break;
    }
}
var negativeSignal = isLoginPage || hasLoginForm || hasLoginLink;
return JSON.stringify({
    hasLoginLink: hasLoginLink,
    isLoginPage: isLoginPage,
    hasLoginForm: hasLoginForm,
    matchedSelector: matchedSelector,
    isLoggedIn: matchedSelector !== null && !negativeSignal
});
