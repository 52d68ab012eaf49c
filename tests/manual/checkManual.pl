#!/usr/bin/perl
# Checks the user manual as it is installed:
#   - every page is reached from the start page, and no placeholder of the
#     build (@NAME@) is left in one;
#   - every link and picture of every page names a file that is there (the
#     examples beside the manual included), and a #name names an id of its page;
#   - every message the program shows, collected from the sources, is on the
#     page of messages (each fixed part of a message with %-fields).
#   tests/manual/checkManual.pl MANUAL_DIR SOURCE_DIR
use strict;
use warnings;
use Cwd qw(abs_path);
use File::Basename qw(dirname);
use File::Find;

my ($manual, $source) = @ARGV;
die "usage: checkManual.pl MANUAL_DIR SOURCE_DIR\n" unless defined $source && -d $manual && -d $source;
$manual = abs_path($manual);
$source = abs_path($source);
my @faults;

sub slurp {
    my ($path) = @_;
    open(my $fh, '<:raw', $path) or die "$path: $!\n";
    local $/;
    return <$fh>;
}

# A path below `base` as it is named from there (every path named is one).
sub below {
    my ($path, $base) = @_;
    return index($path, "$base/") == 0 ? substr($path, length($base) + 1) : $path;
}

# A path made plain (no "." or ".." parts), as a browser resolves a link.
sub plain {
    my @out;
    for my $part (split m{/}, $_[0]) {
        next if $part eq '' || $part eq '.';
        if ($part eq '..') { pop @out; next; }
        push @out, $part;
    }
    return '/' . join('/', @out);
}

# ---- links --------------------------------------------------------------------------
my %reached;
my @queue = ("$manual/index.html");
while (my $page = shift @queue) {
    next if $reached{$page}++;
    my $text = slurp($page);
    my $name = below($page, $manual);
    push @faults, "$name: placeholder $1 left by the build" while $text =~ /(\@[A-Z_]+\@)/g;
    while ($text =~ /\b(?:href|src)="([^"]*)"/g) {
        my $ref = $1;
        next if $ref =~ /^(?:https?|mailto):/;
        my ($path, $fragment) = split /#/, $ref, 2;
        my $target = $path eq '' ? $page : plain(dirname($page) . "/$path");
        if (!-e $target) {
            push @faults, "$name: $ref: no such file";
            next;
        }
        if (defined $fragment && $fragment ne '') {
            push @faults, "$name: $ref: no id \"$fragment\" there" unless slurp($target) =~ /\bid="\Q$fragment\E"/;
        }
        push @queue, $target if $target =~ /\.html$/ && index($target, "$manual/") == 0;
    }
}
for my $page (glob "$manual/*.html") {
    push @faults, below($page, $manual) . ": not reached from index.html" unless $reached{$page};
}

# ---- messages -------------------------------------------------------------------------
my @sources;
find(sub { push @sources, $File::Find::name if /\.(?:cpp|h)$/ },
     map { "$source/$_" } qw(base data settings render interact output view app));
my $messagesPage = slurp("$manual/messages.html");
utf8::decode($messagesPage);
my %messages;
for my $file (@sources) {
    my $text = slurp($file);
    utf8::decode($text);
    # Comments show message shapes, not messages.
    $text =~ s{^\s*//.*$}{}mg;
    # What the views show (through their host), the texts named k...Text,
    # what a message function returns, and kelvra-render's own lines.
    while ($text =~ /(?:show\w*\(\s*sj\(|constexpr const char k\w*Text\[\]\s*=\s*|return sj\(|std::string text = )"((?:[^"\\]|\\.)*)"/g) {
        $messages{$1} = below($file, $source);
    }
    while ($text =~ /(?<!\\)"kelvra-render: ((?:[^"\\]|\\.)*)"/g) {
        $messages{$1} = below($file, $source);
    }
}
# The status bar's pane labels ("[位置] X=") are not messages.
delete $messages{$_} for grep { /^\[/ } keys %messages;
for my $message (sort keys %messages) {
    for my $part (split /%[-0-9]*[a-z0-9]|\\n|\\"/, $message) {
        $part =~ s/^\s+|\s+$//g;
        next if length($part) < 4;
        next if index($messagesPage, $part) >= 0;
        my $shown = $part;
        utf8::encode($shown);
        push @faults, "messages.html does not explain \"$shown\" ($messages{$message})";
    }
}

if (@faults) {
    print STDERR "checkManual: $_\n" for @faults;
    exit 1;
}
printf "checkManual: %d pages, their links and %d messages checked\n", scalar(keys %reached), scalar(keys %messages);
