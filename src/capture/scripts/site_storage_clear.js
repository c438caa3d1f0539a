// Removes what this origin keeps in the browser beyond cookies and the HTTP
// cache. The asynchronous removals are started, not awaited: the profile's
// storage folder is removed at the next start as well.
var cleared = [];
try { window.localStorage.clear(); cleared.push('localStorage'); } catch (e) {}
try { window.sessionStorage.clear(); cleared.push('sessionStorage'); } catch (e) {}
try {
    if (window.indexedDB && indexedDB.databases) {
        indexedDB.databases().then(function (list) {
            list.forEach(function (db) { if (db.name) indexedDB.deleteDatabase(db.name); });
        });
        cleared.push('indexedDB');
    }
} catch (e) {}
try {
    if (window.caches) {
        caches.keys().then(function (keys) { keys.forEach(function (key) { caches.delete(key); }); });
        cleared.push('cacheStorage');
    }
} catch (e) {}
try {
    if (navigator.serviceWorker && navigator.serviceWorker.getRegistrations) {
        navigator.serviceWorker.getRegistrations().then(function (list) {
            list.forEach(function (registration) { registration.unregister(); });
        });
        cleared.push('serviceWorkers');
    }
} catch (e) {}
return JSON.stringify({ origin: window.location.origin, cleared: cleared });
