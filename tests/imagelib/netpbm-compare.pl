#!/usr/bin/env perl
# Compares imgtool's RGBA output with a reference decoder's, pixel for pixel.
#
#   netpbm-compare.pl OURS.pam REFERENCE.ppm ALPHA.pgm|- RULE
#
# REFERENCE is the reference decoder's colour (P6, or P5 for grey) and ALPHA
# its alpha channel, "-" when the file has none. RULE says what the library
# makes of the stored pixels:
#   plain    colours as the reference gives them, alpha as given (255 without)
#   five     colours of 5 bits (the reference's maximum 31) become
#            trunc(v * 255 / 31), alpha 255
#   targa32  a pixel of alpha 0 becomes (0, 0, 0, 0); when every alpha is 0,
#            every pixel is (0, 0, 0, 255)
# Prints the first differences and exits 1 when there are any.
use strict;
use warnings;

sub read_netpbm {
  my ($path) = @_;
  open(my $in, '<:raw', $path) or die "$path: $!\n";
  local $/;
  my $data = <$in>;
  my %image;
  if ($data =~ s/\AP7\n((?:[A-Z_]+ [^\n]*\n)*?)ENDHDR\n//) {
    my %h = map { split / /, $_, 2 } split /\n/, $1;
    @image{qw(width height depth maxval)} = @h{qw(WIDTH HEIGHT DEPTH MAXVAL)};
  } elsif ($data =~ s/\A(P[56])\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s//) {
    @image{qw(width height maxval)} = ($2, $3, $4);
    $image{depth} = $1 eq 'P6' ? 3 : 1;
  } else {
    die "$path: not a binary netpbm file\n";
  }
  die "$path: 16-bit samples\n" if $image{maxval} > 255;
  $image{samples} = [unpack('C*', $data)];
  die "$path: short\n" if @{$image{samples}} < $image{width} * $image{height} * $image{depth};
  return \%image;
}

my ($ours_path, $ref_path, $alpha_path, $rule) = @ARGV;
die "usage: netpbm-compare.pl OURS.pam REFERENCE ALPHA|- RULE\n" unless defined $rule;
my $ours = read_netpbm($ours_path);
my $ref = read_netpbm($ref_path);
my $alpha = $alpha_path eq '-' ? undef : read_netpbm($alpha_path);
die "$ours_path: not RGBA\n" unless $ours->{depth} == 4;
if ($ours->{width} != $ref->{width} || $ours->{height} != $ref->{height}) {
  print "size $ours->{width} x $ours->{height}, reference $ref->{width} x $ref->{height}\n";
  exit 1;
}

my $pixels = $ref->{width} * $ref->{height};
my $any_alpha = 0;
if ($alpha) {
  for my $i (0 .. $pixels - 1) { $any_alpha ||= $alpha->{samples}[$i] }
}
my $differences = 0;
for my $i (0 .. $pixels - 1) {
  my @rgb = map { $ref->{samples}[$i * $ref->{depth} + ($ref->{depth} == 3 ? $_ : 0)] } 0 .. 2;
  my $a = $alpha ? $alpha->{samples}[$i] : 255;
  if ($rule eq 'five') {
    @rgb = map { int($_ * 255 / 31) } @rgb;
    $a = 255;
  } elsif ($rule eq 'targa32') {
    if (!$any_alpha) { @rgb = (0, 0, 0); $a = 255 }
    elsif ($a == 0) { @rgb = (0, 0, 0) }
  } elsif ($rule ne 'plain') {
    die "unknown rule $rule\n";
  }
  my @want = (@rgb, $a);
  my @got = @{$ours->{samples}}[$i * 4 .. $i * 4 + 3];
  next if "@got" eq "@want";
  printf "pixel (%d, %d): got %s, reference %s\n", $i % $ref->{width}, int($i / $ref->{width}), "@got", "@want"
    if $differences < 5;
  $differences++;
}
print "$differences of $pixels pixels differ\n" if $differences;
exit($differences ? 1 : 0);
