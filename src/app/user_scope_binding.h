#pragma once

namespace quill {

class AuthManager;
class Settings;

// Keeps the per-user flags on the account that is signed in: a sign-in switches to
// that seller's flags, a sign-out to none, so the next account starts clean.
// `settings` nullptr: the account still switches, but no flag is read or moved.
void bindUserScopeToAccount(AuthManager &auth, Settings *settings);

} // namespace quill
