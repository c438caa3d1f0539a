var store = window.__zavBidders || {};
var bidders = Object.keys(store).map(function (key) { return store[key]; });
return JSON.stringify({ count: bidders.length, bidders: bidders });
