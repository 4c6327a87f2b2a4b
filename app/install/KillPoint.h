// A test's seam at the moments an install or uninstall must survive being
// killed at: when the environment names the point (QVSETUP_TEST_KILL_AT),
// the process ends there at once, as a kill would end it, with no undo.
// Nothing else reads it, and without it nothing happens.
#pragma once

void KillPoint(const char* point);
