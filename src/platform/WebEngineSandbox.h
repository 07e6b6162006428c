#pragma once

// Chromium, inside the web engine, refuses to start as root with its sandbox on. Turns the
// sandbox off for that case only; must run before the application object is created.
void allowWebEngineAsRoot();
