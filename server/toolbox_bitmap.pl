#!/usr/bin/perl
# Writes the control's toolbox picture, 16 x 16 pixels in 16 colours, as a
# .bmp file: two axes and a lit hill.
use strict;
use warnings;

# The standard 16-colour palette, red, green, blue.
my @palette = (
    [0x00, 0x00, 0x00], [0x80, 0x00, 0x00], [0x00, 0x80, 0x00], [0x80, 0x80, 0x00],
    [0x00, 0x00, 0x80], [0x80, 0x00, 0x80], [0x00, 0x80, 0x80], [0xC0, 0xC0, 0xC0],
    [0x80, 0x80, 0x80], [0xFF, 0x00, 0x00], [0x00, 0xFF, 0x00], [0xFF, 0xFF, 0x00],
    [0x00, 0x00, 0xFF], [0xFF, 0x00, 0xFF], [0x00, 0xFF, 0xFF], [0xFF, 0xFF, 0xFF],
);

# Top row first; one palette index per pixel.
my @rows = qw(
    7777777777777777
    7077777777777777
    7077777777777777
    707777BB77777777
    70777B99B7777777
    7077B9999B777777
    707B999119B77777
    707B9911119B7777
    70B991111119B777
    70B9111111119B77
    7B91111111111B77
    7B911111111119B7
    B9111111111111B7
    7011111111111117
    7000000000000007
    7777777777777777
);

die "usage: toolbox_bitmap.pl OUTPUT\n" unless @ARGV == 1;
die "16 rows of 16 pixels expected\n" unless @rows == 16 && !grep { length != 16 } @rows;

# Rows bottom-up, two pixels a byte, left pixel in the high half; 8 bytes a
# row is already a multiple of 4.
my $pixels = join '', map { pack 'H*', $_ } reverse @rows;
my $colours = join '', map { pack 'C4', $_->[2], $_->[1], $_->[0], 0 } @palette;
my $offset = 14 + 40 + length $colours;

open my $out, '>:raw', $ARGV[0] or die "$ARGV[0]: $!\n";
print $out pack('a2 V v v V', 'BM', $offset + length $pixels, 0, 0, $offset);
print $out pack('V l< l< v v V V l< l< V V', 40, 16, 16, 1, 4, 0, length $pixels, 0, 0, 16, 0);
print $out $colours, $pixels;
close $out or die "$ARGV[0]: $!\n";
