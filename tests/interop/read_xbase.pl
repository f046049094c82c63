#!/usr/bin/perl
# Prints a DBF table's records (memo texts included) and the entries of CDX
# tags as Perl's XBase module reads them, so tests can compare an independent
# reader's view with what our engine wrote.
#
#   read_xbase.pl TABLE.dbf [INDEX.cdx TAG:TYPE ...]     (TYPE: C, N or D)
#
# Output: "record N" (" *" when marked deleted), then "  NAME=value" per field
# (CR, LF and backslash escaped); per tag "tag NAME", then "  key|recno".
use strict;
use warnings;
use XBase;
use XBase::Index;

binmode STDOUT;
my ($dbf, $cdx, @tags) = @ARGV;
my $table = XBase->new($dbf) or die XBase->errstr;
my @names = $table->field_names;
for my $i (0 .. $table->last_record) {
    my ($deleted, @values) = $table->get_record($i);
    die XBase->errstr unless defined $deleted;
    print "record ", $i + 1, ($deleted ? " *" : ""), "\n";
    for my $k (0 .. $#names) {
        my $v = defined $values[$k] ? $values[$k] : '';
        $v =~ s/\\/\\\\/g;
        $v =~ s/\r/\\r/g;
        $v =~ s/\n/\\n/g;
        print "  $names[$k]=$v\n";
    }
}
for my $spec (@tags) {
    my ($tag, $type) = split /:/, $spec;
    my $index = XBase::Index->new($cdx, tag => $tag, type => $type)
        or die XBase::Index->errstr;
    $index->prepare_select;
    print "tag $tag\n";
    while (my ($key, $recno) = $index->fetch) {
        print "  $key|$recno\n";
    }
}
