#pragma once
// The session object of a test process, with shorthands for its operations
// so that tests read like the program's login steps.
#include "session/session.h"

namespace modGlobal {
class MainView;
}

// The current test session (created on first use).
modGlobal::Session &session();
// Replaces the session with a fresh one shown in view (may be null). Like
// the program's, it has an iMail watch.
// Its cookie jar starts empty.
modGlobal::Session &resetSession(modGlobal::MainView *view = nullptr);

inline const modGlobal::ProfileRecord &profile() { return session().profile(); }
inline bool isLoggedIn() { return session().isLoggedIn(); }
inline void setLoggedIn() { session().setLoggedIn(); }
inline void setLoggedOut() { session().setLoggedOut(); }
inline void clearProfile() { session().clearProfile(); }
inline void startLogin() { session().startLogin(); }
inline void loginSequence() { session().loginSequence(); }
inline bool fetchProfile() { return session().fetchProfile(); }
inline bool postProfile() { return session().postProfile(session().profile()); }
inline bool postProfile(const modGlobal::ProfileRecord &edited) { return session().postProfile(edited); }
