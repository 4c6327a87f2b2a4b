#!/usr/bin/env bash
# imgtool seen from outside. CASE is one of
#   reference  JPEG files made by cjpeg and jpegtran from generated pictures
#              (sizes, qualities, subsamplings, progressive, arithmetic,
#              restart intervals, greyscale, transforms) must convert to the
#              same bytes as libjpeg's own `djpeg -rgb -pnm`;
#   hostile    every file of the hostile folder must give exit status 1 and
#              no output;
#   usage      command-line errors give 2, unwritable output 3, and
#              --resample gives the requested size;
#   limits     resampling to the largest sizes the command line takes: the
#              result is written whole, or the memory for it cannot be had
#              and the status is 1 with no output; never a crash.
#
#   imgtool-check.sh CASE HOSTILE_DIR WORK_DIR COMMAND...
# COMMAND runs imgtool (under the Wine rig for the Windows build). Paths
# handed to imgtool are relative to WORK_DIR, so that they mean the same file
# on both sides of Wine.
set -uo pipefail
case=$1 hostile=$2 work=$3
shift 3
imgtool=("$@")

rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# picture NAME WIDTH HEIGHT PATTERN CHANNELS: a binary PPM (3) or PGM (1).
picture() {
  perl -e '
    my ($w, $h, $pattern, $channels) = @ARGV;
    srand(17 * $w + $h);
    print(($channels == 1 ? "P5" : "P6") . "\n$w $h\n255\n");
    for my $y (0 .. $h - 1) {
      my @row;
      for my $x (0 .. $w - 1) {
        for my $c (0 .. $channels - 1) {
          my $v;
          if ($pattern eq "noise") { $v = int(rand(256)) }
          elsif ($pattern eq "gradient") { $v = int(($x * 255 / ($w > 1 ? $w - 1 : 1) + $y * 3 + $c * 85)) % 256 }
          elsif ($pattern eq "checker") { $v = ((int($x / 8) + int($y / 8) + $c) % 2) ? 255 : 0 }
          elsif ($pattern eq "saturated") { $v = (($x * 7 + $y * 3 + $c) % 5 < 2) ? 255 : 0 }
          else {  # photo: smooth shapes, sharp edges and grain
            $v = 128 + 90 * sin(($x + 13 * $c) / 23.0) * cos(($y - 7 * $c) / 17.0);
            $v += 40 if (($x - $w / 2) ** 2 + ($y - $h / 3) ** 2) < ($h / 4) ** 2;
            $v += rand(16) - 8;
            $v = $v < 0 ? 0 : $v > 255 ? 255 : int($v);
          }
          push @row, $v;
        }
      }
      print pack("C*", @row);
    }' "$2" "$3" "$4" "$5" >"$1"
}

run_imgtool() { "${imgtool[@]}" "$@" >/dev/null 2>>imgtool.log; }

case $case in
  reference)
    picture p-1x1.ppm 1 1 noise 3
    picture p-7x5.ppm 7 5 gradient 3
    picture p-17x33.ppm 17 33 checker 3
    picture p-33x9.ppm 33 9 saturated 3
    picture p-64x64.ppm 64 64 noise 3
    picture p-127x65.ppm 127 65 photo 3
    picture p-620x420.ppm 620 420 photo 3
    picture g-1x17.pgm 1 17 noise 1
    picture g-45x31.pgm 45 31 photo 1
    encodings=(
      "-quality 75"
      "-quality 100 -sample 1x1"
      "-quality 5"
      "-quality 90 -sample 2x1"
      "-quality 90 -sample 1x2"
      "-quality 85 -sample 4x1"
      "-progressive"
      "-progressive -sample 1x1 -quality 95"
      "-restart 1"
      "-restart 3B -quality 60"
      "-arithmetic"
      "-optimize -quality 40"
      "-dct float -smooth 20"
      "-grayscale"
      "-progressive -arithmetic -quality 97"
    )
    n=0
    for source in p-*.ppm g-*.pgm; do
      e=0
      for options in "${encodings[@]}"; do
        e=$((e + 1))
        # shellcheck disable=SC2086
        cjpeg $options "$source" >"${source%.*}-e$e.jpg" || fail "cjpeg $options $source"
      done
      cjpeg -rgb -quality 90 "$source" >"${source%.*}-rgb.jpg" 2>/dev/null || rm -f "${source%.*}-rgb.jpg"
    done
    t=0
    for transform in "-progressive" "-arithmetic" "-restart 2" "-rotate 90 -trim" \
                     "-crop 33x17+5+3" "-optimize -copy all" "-grayscale" "-flip horizontal"; do
      t=$((t + 1))
      # shellcheck disable=SC2086
      jpegtran $transform p-620x420-e1.jpg >"t$t-a.jpg" || fail "jpegtran $transform"
      # shellcheck disable=SC2086
      jpegtran $transform p-127x65-e4.jpg >"t$t-b.jpg" || fail "jpegtran $transform"
    done

    for jpeg in *.jpg; do
      n=$((n + 1))
      djpeg -rgb -pnm "$jpeg" >"${jpeg%.jpg}.ref.ppm" || { fail "djpeg $jpeg"; continue; }
      if ! run_imgtool "$jpeg" "${jpeg%.jpg}.out.ppm"; then
        fail "imgtool $jpeg: status $?"
      elif ! cmp -s "${jpeg%.jpg}.ref.ppm" "${jpeg%.jpg}.out.ppm"; then
        fail "imgtool $jpeg differs from djpeg: $(cmp "${jpeg%.jpg}.ref.ppm" "${jpeg%.jpg}.out.ppm" 2>&1 | head -n 1)"
      fi
    done
    echo "$n JPEG files compared with djpeg"
    [ "$n" -ge 150 ] || fail "only $n files"
    ;;

  hostile)
    n=0
    for file in "$hostile"/*; do
      case $file in *.md) continue ;; esac
      name=$(basename "$file")
      cp "$file" "$name"
      run_imgtool "$name" "$name.ppm"
      status=$?
      n=$((n + 1))
      [ $status -eq 1 ] || fail "$name: status $status, expected 1"
      [ ! -e "$name.ppm" ] || fail "$name: output written"
    done
    echo "$n hostile files refused"
    [ "$n" -ge 20 ] || fail "only $n hostile files"
    ;;

  usage)
    picture checker.ppm 16 8 checker 3
    cjpeg -quality 100 -sample 1x1 checker.ppm >checker.jpg
    expect() {  # STATUS ARGS...
      local want=$1
      shift
      run_imgtool "$@"
      local got=$?
      [ $got -eq "$want" ] || fail "imgtool $*: status $got, expected $want"
    }
    expect 2
    expect 2 checker.jpg
    expect 2 checker.jpg out.ppm extra
    expect 2 --resample 0 5 checker.jpg out.ppm
    expect 2 --resample 4 x checker.jpg out.ppm
    expect 2 --resample 16385 1 checker.jpg out.ppm
    expect 2 --resample -3 2 checker.jpg out.ppm
    expect 2 --shrink 3 2 checker.jpg out.ppm
    expect 1 missing.jpg out.ppm
    expect 1 checker.ppm out.ppm
    expect 3 checker.jpg no-such-folder/out.ppm
    expect 0 checker.jpg same.ppm
    cmp -s same.ppm <(djpeg -rgb -pnm checker.jpg) || fail "plain conversion differs from djpeg"
    expect 0 --resample 3 2 checker.jpg small.ppm
    header=$(head -c 11 small.ppm)
    [ "$header" = $'P6\n3 2\n255' ] || fail "resampled header: $header"
    [ "$(stat -c %s small.ppm)" -eq $((11 + 3 * 2 * 3)) ] || fail "resampled size $(stat -c %s small.ppm)"
    # Halving a checker of 8-pixel squares twice over averages whole squares
    # into greys; one output pixel per 16 x 8 block is the mean of all.
    expect 0 --resample 1 1 checker.jpg one.ppm
    mean=$(tail -c 3 one.ppm | od -An -tu1 | tr -s ' ')
    for v in $mean; do
      [ "$v" -ge 120 ] && [ "$v" -le 136 ] || fail "1 x 1 mean $mean, expected about 128"
    done
    ;;

  limits)
    picture checker.ppm 16 8 checker 3
    cjpeg -quality 100 -sample 1x1 checker.ppm >checker.jpg
    # limit WIDTH HEIGHT EXPECTED: EXPECTED is 0 (must be written), 1 (must
    # be refused) or "either".
    limit() {
      local w=$1 h=$2 want=$3 out="$1x$2.ppm"
      run_imgtool --resample "$w" "$h" checker.jpg "$out"
      local got=$?
      if [ $got -eq 0 ] && [ "$want" != 1 ]; then
        local size=$(( ${#w} + ${#h} + 9 + w * h * 3 ))
        [ "$(head -c $(( ${#w} + ${#h} + 9 )) "$out")" = "$(printf 'P6\n%d %d\n255' "$w" "$h")" ] \
          || fail "$w x $h: wrong header"
        [ "$(stat -c %s "$out")" -eq $size ] || fail "$w x $h: $(stat -c %s "$out") bytes, expected $size"
        echo "$w x $h: written"
      elif [ $got -eq 1 ] && [ "$want" != 0 ]; then
        [ ! -e "$out" ] || fail "$w x $h: output written although refused"
        echo "$w x $h: refused for want of memory"
      else
        fail "$w x $h: status $got, expected $want"
      fi
      rm -f "$out"
    }
    # 384 MiB of pixels: a 32-bit process holds them, and the resampler's
    # working memory is one row whatever the size.
    limit 16384 8192 0
    # 768 MiB in one block: beside Wine's libraries a 32-bit process has no
    # free stretch that long, but a 64-bit one does.
    limit 16384 16384 either
    ;;

  *) fail "unknown case $case" ;;
esac

if [ $failures -gt 0 ]; then
  echo "imgtool $case: $failures failures (log: $work/imgtool.log)"
  exit 1
fi
echo "imgtool $case: ok"
