#!/usr/bin/env bash
# imgtool seen from outside. CASE is one of
#   reference  JPEG files made by cjpeg and jpegtran from generated pictures
#              (sizes, qualities, subsamplings, progressive, arithmetic,
#              restart intervals, greyscale, transforms) must convert to the
#              same bytes as libjpeg's own `djpeg -rgb -pnm`;
#   hostile    every file of the hostile folder must give exit status 1 and
#              no output (thumbnails, ".thumb", through --read-thumbnail);
#   usage      command-line errors give 2, unwritable output 3, and
#              --resample gives the requested size;
#   targa      Targa files made by ImageMagick and netpbm (8, 16, 24 and 32
#              bits, plain and run-length, both origins) must convert to the
#              same pixels as netpbm's tgatoppm decodes;
#   sgi        likewise verbatim SGI files of 3 and 4 channels against
#              netpbm's sgitopnm;
#   thumbnail  every layout written by imgtool reads back, and pixel
#              layouts give back the image exactly;
#   limits     resampling to the largest sizes the command line takes: the
#              result is written whole, or the memory for it cannot be had
#              and the status is 1 with no output; never a crash.
#
#   imgtool-check.sh CASE HOSTILE_DIR WORK_DIR COMMAND...
# COMMAND runs imgtool (under the Wine rig for the Windows build). Paths
# handed to imgtool are relative to WORK_DIR, so that they mean the same file
# on both sides of Wine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
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

# ImageMagick's own convert (QV_MAGICK), never a wrapper of the same name.
magick() { "${QV_MAGICK:-/usr/bin/convert-im6.q16}" "$@"; }

# alpha_picture NAME WIDTH HEIGHT ZERO: an RGBA PAM of the photo pattern
# whose alpha varies, 0 on some pixels; with ZERO=all, 0 everywhere.
alpha_picture() {
  picture "$1.tmp.ppm" "$2" "$3" photo 3
  perl -e '
    my ($in, $w, $h, $zero) = @ARGV;
    open(my $f, "<:raw", $in) or die; local $/; my $d = <$f>;
    $d =~ s/\AP6\n\d+ \d+\n255\n//;
    my @s = unpack("C*", $d);
    print "P7\nWIDTH $w\nHEIGHT $h\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    for my $i (0 .. $w * $h - 1) {
      my $a = $zero eq "all" ? 0 : ($i * 37 + int($i / $w) * 11) % 256;
      $a = 0 if $i % 7 == 3 && $zero ne "all";
      print pack("C4", @s[3 * $i .. 3 * $i + 2], $a);
    }' "$1.tmp.ppm" "$2" "$3" "$4" >"$1"
  rm -f "$1.tmp.ppm"
}

# compare FILE REFERENCE.ppm ALPHA|- RULE: imgtool's decoding of FILE as RGBA
# against the reference decoder's.
compared=0
compare() {
  local file=$1
  compared=$((compared + 1))
  if ! run_imgtool "$file" "$file.pam"; then
    fail "imgtool $file: status $?"
  elif ! perl "$here/netpbm-compare.pl" "$file.pam" "$2" "$3" "$4" >"$file.diff"; then
    fail "$file differs from the reference: $(head -n 3 "$file.diff" | tr '\n' ';')"
  fi
}

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
      case $name in
        *.thumb) run_imgtool --read-thumbnail "$name" "$name.ppm" ;;
        *) run_imgtool "$name" "$name.ppm" ;;
      esac
      status=$?
      n=$((n + 1))
      [ $status -eq 1 ] || fail "$name: status $status, expected 1"
      [ ! -e "$name.ppm" ] || fail "$name: output written"
    done
    echo "$n hostile files refused"
    [ "$n" -ge 60 ] || fail "only $n hostile files"
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
    expect 2 --thumbnail Pixels checker.jpg out.txt
    expect 2 --read-thumbnail --resample 2 2 checker.jpg out.ppm
    expect 2 --four-bytes checker.jpg out.ppm
    expect 1 --read-thumbnail checker.jpg out.ppm
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

  targa)
    picture p-1x1.ppm 1 1 noise 3
    picture p-7x5.ppm 7 5 gradient 3
    picture p-130x3.ppm 130 3 checker 3
    picture p-64x64.ppm 64 64 noise 3
    picture p-127x65.ppm 127 65 photo 3
    picture p-620x420.ppm 620 420 photo 3
    for source in p-*.ppm; do
      base=${source%.ppm}
      size=${base#p-}
      alpha_picture "a-$size.pam" "${size%x*}" "${size#*x}" some
      for origin in BottomLeft TopLeft; do
        for compress in None RLE; do
          tag="$size-$origin-$compress"
          magick "$source" -colorspace Gray -type Grayscale -orient $origin -compress $compress "im-8-$tag.tga"
          magick "$source" -depth 5 -orient $origin -compress $compress "im-16-$tag.tga"
          magick "$source" -depth 8 -orient $origin -compress $compress "im-24-$tag.tga"
          magick "a-$size.pam" -depth 8 -orient $origin -compress $compress "im-32-$tag.tga"
        done
      done
      ppmtotga -rgb "$source" >"nb-24-$size-rle.tga" 2>/dev/null
      ppmtotga -rgb -norle "$source" >"nb-24-$size-plain.tga" 2>/dev/null
      ppmtotga -mono "$source" >"nb-8-$size-rle.tga" 2>/dev/null
      pamtotga "a-$size.pam" >"nb-32-$size-rle.tga" 2>/dev/null
      pamtotga -norle "a-$size.pam" >"nb-32-$size-plain.tga" 2>/dev/null
    done
    alpha_picture none.pam 9 4 all
    magick none.pam -depth 8 -compress RLE im-32-no-alpha.tga
    for file in im-*.tga nb-*.tga; do
      [ -s "$file" ] || { fail "no $file made"; continue; }
      tgatoppm -alphaout="$file.alpha.pgm" "$file" >"$file.ref.ppm" 2>/dev/null || { fail "tgatoppm $file"; continue; }
      depth=$(od -An -tu1 -j16 -N1 "$file" | tr -d ' ')
      case $depth in
        8|24) compare "$file" "$file.ref.ppm" - plain ;;
        16) compare "$file" "$file.ref.ppm" - five ;;
        32) compare "$file" "$file.ref.ppm" "$file.alpha.pgm" targa32 ;;
        *) fail "$file: depth $depth" ;;
      esac
    done
    echo "$compared Targa files compared with tgatoppm"
    [ "$compared" -ge 100 ] || fail "only $compared files"
    ;;

  sgi)
    picture p-1x1.ppm 1 1 noise 3
    picture p-7x5.ppm 7 5 gradient 3
    picture p-127x65.ppm 127 65 photo 3
    picture p-620x420.ppm 620 420 photo 3
    for source in p-*.ppm; do
      size=${source#p-}
      size=${size%.ppm}
      alpha_picture "a-$size.pam" "${size%x*}" "${size#*x}" some
      magick "$source" -depth 8 -compress None "sgi:im-3-$size.sgi"
      magick "a-$size.pam" -depth 8 -compress None "sgi:im-4-$size.rgba"
      pnmtosgi -verbatim "$source" >"nb-3-$size.rgb" 2>/dev/null
    done
    for file in im-3-*.sgi nb-3-*.rgb; do
      sgitopnm "$file" >"$file.ref.ppm" 2>/dev/null || { fail "sgitopnm $file"; continue; }
      compare "$file" "$file.ref.ppm" - plain
    done
    for file in im-4-*.rgba; do
      sgitopnm "$file" >"$file.ref.ppm" 2>/dev/null && sgitopnm -channel 3 "$file" >"$file.alpha.pgm" 2>/dev/null \
        || { fail "sgitopnm $file"; continue; }
      compare "$file" "$file.ref.ppm" "$file.alpha.pgm" plain
    done
    echo "$compared SGI files compared with sgitopnm"
    [ "$compared" -ge 12 ] || fail "only $compared files"
    ;;

  thumbnail)
    picture p-45x31.ppm 45 31 photo 3
    picture p-700x3.ppm 700 3 noise 3
    cjpeg -quality 100 -sample 1x1 p-45x31.ppm >p-45x31.jpg
    cjpeg -quality 100 -sample 1x1 p-700x3.ppm >p-700x3.jpg
    for jpeg in p-*.jpg; do
      run_imgtool "$jpeg" "$jpeg.ppm" || fail "imgtool $jpeg"
      for layout in Thumbnail BinaryThumbnail JPEGThumbnail JPEGBinaryThumbnail; do
        run_imgtool --thumbnail $layout "$jpeg" "$jpeg.$layout" || { fail "$jpeg: writing $layout"; continue; }
        keyword=$(sed -n 2p "$jpeg.$layout")
        [ "$keyword" = "$layout" ] || fail "$jpeg: keyword line '$keyword' for $layout"
        run_imgtool --read-thumbnail "$jpeg.$layout" "$jpeg.$layout.ppm" || { fail "$jpeg: reading $layout"; continue; }
        case $layout in
          JPEG*) [ "$(head -n 3 "$jpeg.$layout.ppm")" = "$(head -n 3 "$jpeg.ppm")" ] || fail "$jpeg: $layout size" ;;
          *) cmp -s "$jpeg.ppm" "$jpeg.$layout.ppm" || fail "$jpeg: $layout does not give the image back" ;;
        esac
      done
    done
    run_imgtool --thumbnail Thumbnail --resample 2 1 p-45x31.jpg small.txt || fail "resampled thumbnail"
    [ "$(head -n 2 small.txt)" = $'ThumbnailSize 2 1\nThumbnail' ] || fail "resampled thumbnail header"
    [ "$(sed -n 3p small.txt | tr -d '\r' | wc -c)" -eq 13 ] || fail "resampled thumbnail: one line of 12 digits"
    printf 'ThumbnailSize 2 1\nBinaryThumbnail\n\1\2\3\4\5' >short.thumb
    run_imgtool --read-thumbnail short.thumb short.ppm
    [ $? -eq 1 ] && [ ! -e short.ppm ] || fail "a short thumbnail is not refused"
    printf 'ThumbnailSize 1 1\nBinaryThumbnail\n\0\1\2\3' >four.thumb
    run_imgtool --read-thumbnail --four-bytes four.thumb four.ppm || fail "four-byte thumbnail"
    [ "$(tail -c 3 four.ppm | od -An -tu1 | tr -s ' ')" = " 1 2 3" ] || fail "four-byte pixel order"
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
