# Where the installer keeps its records in the rig's prefix: Common Files as
# the prefix names it for a 32-bit program ("Program Files (x86)" in a
# 64-bit prefix). Sourced after the rig's --env; sets wrecords (Windows)
# and records (Unix).
common_files=$(${WINELOADER:-wine} reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' /v CommonFilesDir \
                 /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/^ *CommonFilesDir *REG_[A-Z_]* *//p')
[ -n "$common_files" ] || common_files='C:\Program Files\Common Files'
wrecords="$common_files\\Kestrova Uninstall"
records=$(winepath -u "$wrecords" 2>/dev/null)
records=${records%/}
