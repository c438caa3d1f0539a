var store = window.__zavBidders || {};
var bidders = Object.keys(store).map(function (key) { return store[key]; });
return JSON.stringify({ installed: !!window.__zavBidObserverInstalled, count: bidders.length, bidders: bidders });
