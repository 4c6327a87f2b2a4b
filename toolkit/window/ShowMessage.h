// The one way failures reach the user: a platform message box captioned
// "Attention !" with one OK button, owned by the foreground window.
#pragma once

// Returns the platform's answer once the user has closed the box.
int ShowMessage(const char* text);
