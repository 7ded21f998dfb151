#!/usr/bin/perl
# Writes KandelTest's program icon as a .ico file with a 32 x 32 and a
# 16 x 16 image (32-bit colour with alpha): a lit, wavy surface seen at an
# angle, blue on a transparent ground.
use strict;
use warnings;

die "usage: make_icon.pl OUTPUT\n" unless @ARGV == 1;

my $pi = 4 * atan2(1, 1);

# One image: rows bottom-up of blue, green, red, alpha bytes, then the AND
# mask (1 bit a pixel, rows padded to 4 bytes), all after the header.
sub image {
    my ($size) = @_;
    my @pixels;    # top row first
    for my $py (0 .. $size - 1) {
        for my $px (0 .. $size - 1) {
            # Screen to the surface's plane: a square turned by 45 degrees and
            # flattened, so that it reads as seen from above at an angle.
            my $sx = ($px + 0.5) / $size * 2 - 1;
            my $sy = (($py + 0.5) / $size * 2 - 1) * 1.6 - 0.1;
            my $u = ($sx + $sy);
            my $v = ($sy - $sx);
            my $hit;
            # Walk up the screen column: the nearest point of the surface
            # whose lifted height lands on this pixel is what is seen.
            for (my $lift = 0.0; $lift <= 0.6; $lift += 0.02) {
                my $uu = $u + $lift;
                my $vv = $v + $lift;
                next if abs($uu) > 0.95 || abs($vv) > 0.95;
                my $z = 0.18 * cos(1.5 * $pi * $uu) * cos(1.5 * $pi * $vv) + 0.3;
                if (abs($z - $lift) < 0.03) { $hit = [$uu, $vv]; last; }
            }
            if (!$hit) { push @pixels, [0, 0, 0, 0]; next; }
            my ($uu, $vv) = @$hit;
            # Lambert shading from the slope of the surface.
            my $dzu = -0.27 * $pi * sin(1.5 * $pi * $uu) * cos(1.5 * $pi * $vv);
            my $dzv = -0.27 * $pi * cos(1.5 * $pi * $uu) * sin(1.5 * $pi * $vv);
            my ($nx, $ny, $nz) = (-$dzu, -$dzv, 1);
            my $len = sqrt($nx * $nx + $ny * $ny + $nz * $nz);
            my $light = (0.4 * $nx + 0.4 * $ny + 0.82 * $nz) / $len;
            $light = 0.25 if $light < 0.25;
            my $r = int(60 * $light + 0.5);
            my $g = int(110 * $light + 0.5);
            my $b = int(235 * $light + 0.5);
            push @pixels, [$b, $g, $r, 255];
        }
    }
    my $colour = '';
    my $mask = '';
    my $maskStride = int(($size + 31) / 32) * 4;
    for my $py (reverse 0 .. $size - 1) {
        my $bits = '';
        for my $px (0 .. $size - 1) {
            my $p = $pixels[$py * $size + $px];
            $colour .= pack('C4', @$p);
            $bits .= $p->[3] ? '0' : '1';
        }
        $bits .= '0' x ($maskStride * 8 - length $bits);
        $mask .= pack('B*', $bits);
    }
    # BITMAPINFOHEADER: the height counts colour and mask together.
    my $header = pack('V l l v v V V l l V V', 40, $size, 2 * $size, 1, 32, 0,
                      length($colour) + length($mask), 0, 0, 0, 0);
    return $header . $colour . $mask;
}

my @sizes = (32, 16);
my @images = map { image($_) } @sizes;
my $offset = 6 + 16 * @sizes;
my $out = pack('v v v', 0, 1, scalar @sizes);
for my $i (0 .. $#sizes) {
    $out .= pack('C C C C v v V V', $sizes[$i], $sizes[$i], 0, 0, 1, 32,
                 length $images[$i], $offset);
    $offset += length $images[$i];
}
$out .= join '', @images;

open my $fh, '>:raw', $ARGV[0] or die "cannot write $ARGV[0]: $!\n";
print $fh $out;
close $fh or die "cannot write $ARGV[0]: $!\n";
