#!/usr/bin/env bash
# Builds the benchmark corpus from files that a Debian machine set up for building Quonder has
# (bash scripts/install-deps.sh): C and C++ headers, package documentation, CMake's modules,
# Perl's and Python's libraries and Vim's runtime where present.
#   $QCORPUS/mixed : copies of those trees, binary files included (.gz, .pyc, images ...)
#   $QCORPUS/text  : hard links to the source and text files of mixed (by extension, no NUL)
# Every tool must see the same files, so links, hidden entries and empty files are removed.
# Writes $QCORPUS/MANIFEST (counts, bytes, a hash of the sorted path and size list): two
# machines with the same packages build the same corpus, and the hash shows whether they did.
# Needs only coreutils, findutils and perl (which every Debian system has).
set -euo pipefail
dest=${QCORPUS:-/tmp/quonder-corpus}
sources=(/usr/include /usr/share/doc /usr/share/cmake-3.* /usr/share/perl /usr/lib/python3
         /usr/lib/python3.* /usr/share/vim)
text_ext='c|h|cc|hh|cpp|hpp|cxx|hxx|inl|tcc|ipp|py|pyi|pl|pm|sh|js|mjs|ts|json|yaml|yml|toml|ini|cfg|conf|txt|md|rst|html|htm|css|xml|cmake|vim|el|rb|java|go|rs|in|am|ac|m4|mk|tex|sql|csv|tpl|def|inc|spec'

rm -rf "$dest"
mkdir -p "$dest/mixed" "$dest/text"
for source in "${sources[@]}"; do
  if [ -d "$source" ]; then
    cp -a "$source" "$dest/mixed/$(echo "${source#/}" | tr / _)"
  else
    echo "skipped (missing): $source" >&2
  fi
done
find "$dest/mixed" -type l -delete
find "$dest/mixed" -mindepth 1 -name '.*' -prune -exec rm -rf {} +
find "$dest/mixed" -type f -empty -delete
chmod -R u+rwX,go+rX "$dest/mixed"

# The text variant, and the statistics of both: files, bytes, files with a NUL byte, files
# that are not valid UTF-8, and the list's hash.
cd "$dest"
find mixed -type f -print0 | sort -z | perl -0 -e '
  use File::Path qw(make_path);
  my ($ext) = @ARGV;
  my $text_re = qr/\.(?:$ext)$/i;
  my (%count, %bytes, %nul, %bad, %list);
  while (my $path = <STDIN>) {
    chomp $path;
    open(my $in, "<:raw", $path) or die "$path: $!";
    local $/; my $data = <$in>; close $in;
    my $has_nul = index($data, "\0") >= 0;
    my $copy = $data; my $valid = utf8::decode($copy);
    my @variants = ("mixed");
    if (!$has_nul && $path =~ $text_re) {
      (my $link = $path) =~ s{^mixed/}{text/};
      (my $folder = $link) =~ s{/[^/]*$}{};
      make_path($folder);
      link($path, $link) or die "$link: $!";
      push @variants, "text";
    }
    for my $variant (@variants) {
      (my $relative = $path) =~ s{^mixed/}{};
      $count{$variant}++; $bytes{$variant} += length $data;
      $nul{$variant}++ if $has_nul; $bad{$variant}++ unless $valid;
      $list{$variant} .= "$relative\0" . length($data) . "\n";
    }
  }
  for my $variant ("mixed", "text") {
    open(my $out, ">", "$variant.list") or die; print $out $list{$variant} // ""; close $out;
    printf "%s %d %d %d %d\n", $variant, $count{$variant} // 0, $bytes{$variant} // 0,
      $nul{$variant} // 0, $bad{$variant} // 0;
  }
' "$text_ext" > stats
{
  echo "variant files bytes files_with_NUL files_not_valid_UTF8 listhash"
  while read -r variant rest; do
    echo "$variant $rest $(sha256sum < "$variant.list" | cut -c1-16)"
  done < stats
} > MANIFEST
rm -f stats mixed.list text.list
cat MANIFEST
