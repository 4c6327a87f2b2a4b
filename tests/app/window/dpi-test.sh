#!/usr/bin/env bash
# The installer window at 96, 120, 144 and 192 DPI: test_dpilayout.exe in a
# rig of its own started at each scale (on a screen large enough for the
# window at 200 %), at 192 a keyboard-only install of the real setup.exe,
# at 192 on a screen too small for the window at that scale, and at 144 on
# one wide enough but too short.
#
#   dpi-test.sh SOURCE_DIR BUILD_DIR test_dpilayout.exe test_setup.exe
set -uo pipefail

top=$1 build=$2 layout=$3 setup=$4
home=$build/wine-dpi
rig() { "$top/scripts/wine" --home "$home" "$@"; }
trap 'rig --stop' EXIT
export QV_WINE_SCREEN=2560x1600
failed=0
for dpi in 96 120 144 192; do
  echo "== $dpi DPI"
  rig --stop
  QV_WINE_DPI=$dpi rig --start || { echo "the rig did not start at $dpi DPI"; exit 1; }
  QV_WINE_DPI=$dpi rig "$layout" --gtest_brief=1 || failed=1
  if [ "$dpi" = 192 ]; then
    QV_WINE_DPI=$dpi rig "$setup" --gtest_brief=1 --gtest_filter='SetupWindow.AWholeInstallFromTheKeyboardAlone' \
      || failed=1
  fi
done
echo "== 192 DPI on 1024 x 768"
rig --stop
QV_WINE_DPI=192 QV_WINE_SCREEN=1024x768 rig --start || exit 1
QV_WINE_DPI=192 rig "$layout" --gtest_brief=1 --gtest_filter='DpiLayout.AScreenTooSmall*' || failed=1
# Wide and short: the height, not the width, limits the scale.
echo "== 144 DPI on 1920 x 600"
rig --stop
QV_WINE_DPI=144 QV_WINE_SCREEN=1920x600 rig --start || exit 1
QV_WINE_DPI=144 rig "$layout" --gtest_brief=1 --gtest_filter='DpiLayout.AScreenTooSmall*' || failed=1
exit $failed
