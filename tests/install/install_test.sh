#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the installed tree:
# exactly the expected files; kestrum, call_plugin and kestrum-explain run
# from another directory with LD_LIBRARY_PATH unset, kestrum-explain's
# manual page is there; call_plugin --version and the
# CHANGELOG's top entry give the project's version; the manual pages, the
# README and the Octave help files name every failure message and error
# identifier that the sources print; Octave runs the installed MEX file and
# shows the help file beside it. Where cpack and dpkg-deb are installed, the
# Debian packages hold exactly the installed files, with their Depends
# computed. Settings come from tests/install/CMakeLists.txt.
set -uo pipefail
unset LD_LIBRARY_PATH

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
section() { echo "== $*"; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
elsewhere=$scratch/elsewhere
mkdir -p "$elsewhere"

section "cmake --install into $prefix"
if ! "$CMAKE" --install "$BUILD_DIR" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

# The files the installed tree must hold, relative to the prefix, and none
# other: no test, benchmark or fuzzer.
expected_files() {
  echo "$BINDIR/kestrum"
  echo "$BINDIR/call_plugin"
  echo "$BINDIR/kestrum-explain"
  for library in mx mat mex; do echo "$LIBDIR/lib$library.so"; done
  for plugin in vandrel quenvor; do echo "$LIBDIR/kestrum/$plugin.mexa64"; done
  if [ "$HAVE_V73_READER" = 1 ]; then
    echo "$LIBEXECDIR/mat_v73_reader"
    echo "$LIBDIR/libmat_v73_in_process.so"
  fi
  for page in $MAN_PAGES; do echo "$MANDIR/man1/$page.1"; done
  for file in README.md CHANGELOG.md LICENSE; do echo "$DATADIR/doc/kestrum/$file"; done
  if [ "$HAVE_OCTAVE_MEX" = 1 ]; then
    for plugin in vandrel quenvor; do
      echo "$DATADIR/kestrum/octave/$plugin.mex"
      echo "$DATADIR/kestrum/octave/$plugin.m"
    done
  fi
}
expected_files | sort >"$scratch/expected"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) >"$scratch/installed"
if ! diff -u "$scratch/expected" "$scratch/installed"; then
  fail "the installed files differ from the expected ones (- expected, + installed)"
fi

cd "$elsewhere" || exit 1
section "installed kestrum from $elsewhere"
# Its report must be complete and the same as the build tree's kestrum's.
check_report() {
  local file=$1 status
  "$prefix/$BINDIR/kestrum" "$file" >"$scratch/report" 2>&1
  status=$?
  "$BUILT_KESTRUM" "$file" >"$scratch/built_report" 2>&1
  if [ "$status" -ne 0 ] || [ "$(tail -n 1 "$scratch/report")" != Done ]; then
    fail "installed kestrum on $file: status $status, report:"
    cat "$scratch/report"
  elif ! diff -u "$scratch/built_report" "$scratch/report"; then
    fail "installed kestrum's report on $file differs from the build tree's"
  else
    echo "complete report on $file"
  fi
}
check_report "$SOURCE_DIR/samples/sample.mat"
if [ -f "$V73_FILE" ]; then
  check_report "$V73_FILE"  # through the version 7.3 reader process
  MAT_V73_READER=in-process check_report "$V73_FILE"  # through libmat's module
else
  echo "no version 7.3 file ($V73_FILE): h5py is missing; not checked"
fi
# The stand-in libraries are the installed ones, not the build tree's.
LD_TRACE_LOADED_OBJECTS=1 "$prefix/$BINDIR/kestrum" >"$scratch/loaded" 2>&1
for library in libmx.so libmat.so; do
  if ! grep -q "^[[:space:]]*$library => $prefix/" "$scratch/loaded"; then
    fail "installed kestrum does not load $library from $prefix:"
    cat "$scratch/loaded"
  fi
done

section "installed call_plugin"
call_plugin=$prefix/$BINDIR/call_plugin
output=$("$call_plugin" "$prefix/$LIBDIR/kestrum/quenvor.mexa64" 2 '[1 2 3]' 2>&1)
[ "$output" = "out1 = [2 4 6]" ] || fail "quenvor through the installed call_plugin printed: $output"
version_line=$("$call_plugin" --version | head -n 1)
[ "$version_line" = "call_plugin $PROJECT_VERSION" ] ||
  fail "call_plugin --version begins '$version_line', not 'call_plugin $PROJECT_VERSION'"
changelog_entry=$(grep -m 1 '^## ' "$prefix/$DATADIR/doc/kestrum/CHANGELOG.md")
[ "$changelog_entry" = "## $PROJECT_VERSION" ] ||
  fail "the CHANGELOG's top entry is '$changelog_entry', not '## $PROJECT_VERSION'"

section "installed kestrum-explain"
version_line=$("$prefix/$BINDIR/kestrum-explain" --version | head -n 1)
[ "$version_line" = "kestrum-explain $PROJECT_VERSION" ] ||
  fail "kestrum-explain --version begins '$version_line', not 'kestrum-explain $PROJECT_VERSION'"
# Its page is written by help2man, as call_plugin's is.
if [[ " $MAN_PAGES " == *" call_plugin "* ]]; then
  page=$prefix/$MANDIR/man1/kestrum-explain.1
  if [ ! -f "$page" ]; then
    fail "no manual page kestrum-explain.1"
  else
    grep -qF -- '\-\-salvage' "$page" || fail "kestrum-explain.1 does not describe --salvage"
  fi
fi

section "manual pages"
for page in $MAN_PAGES; do
  file=$prefix/$MANDIR/man1/$page.1
  [ -f "$file" ] || continue  # reported with the file list
  grep -qi "^\.TH \"\?$page\"\? \"\?1\"\? .*$PROJECT_VERSION" "$file" ||
    fail "$page.1: no .TH line naming $page, section 1 and version $PROJECT_VERSION"
  if [ -n "$GROFF" ]; then
    warnings=$("$GROFF" -man -Tutf8 -ww -z "$file" 2>&1)
    [ -z "$warnings" ] || fail "groff warns on $page.1: $warnings"
  fi
done

section "installed documentation names every message of the sources"
# Each failure line kestrum prints, in its manual page and the README.
grep -o '"Error [^"%]*' "$SOURCE_DIR/kestrum/diagnose_mat_file.cc" | cut -c2- | sed 's/ *$//' |
  sort -u >"$scratch/messages"
[ -s "$scratch/messages" ] || fail "no failure messages found in kestrum/diagnose_mat_file.cc"
while read -r message; do
  for doc in "$MANDIR/man1/kestrum.1" "$DATADIR/doc/kestrum/README.md"; do
    grep -qF "$message" "$prefix/$doc" || fail "$doc does not name kestrum's message '$message'"
  done
done <"$scratch/messages"
# Each error identifier a plug-in raises, in the README and its help file.
for plugin in vandrel quenvor; do
  grep -o '"[A-Za-z]*:'"$plugin"':[A-Za-z]*"' "$SOURCE_DIR/$plugin/$plugin.cc" | tr -d '"' |
    sort -u >"$scratch/identifiers"
  [ -s "$scratch/identifiers" ] || fail "no error identifiers found in $plugin/$plugin.cc"
  docs=("$DATADIR/doc/kestrum/README.md")
  [ "$HAVE_OCTAVE_MEX" = 1 ] && docs+=("$DATADIR/kestrum/octave/$plugin.m")
  while read -r identifier; do
    for doc in "${docs[@]}"; do
      grep -qF "$identifier" "$prefix/$doc" || fail "$doc does not name $identifier"
    done
  done <"$scratch/identifiers"
done

section "the installed plug-ins in GNU Octave"
if [ "$HAVE_OCTAVE_MEX" != 1 ]; then
  echo "no Octave MEX files in this build: not checked"
elif [ -n "${OCTAVE_SKIPPED:-}" ]; then
  echo "not checked: $OCTAVE_SKIPPED"
else
  octave_dir=$prefix/$DATADIR/kestrum/octave
  failures_before=$failures
  # The call runs the MEX file although quenvor.m lies beside it, and help
  # shows that file's text.
  "$OCTAVE_CLI" --norc --no-history --quiet --eval \
    "addpath('$octave_dir'); y = quenvor(2, [1 2 3]); printf('y = %s\n', mat2str(y)); printf('which: %s\n', which('quenvor')); help quenvor" \
    >"$scratch/octave" 2>&1
  grep -qx 'y = \[2 4 6\]' "$scratch/octave" || fail "quenvor(2, [1 2 3]) in Octave is not [2 4 6]"
  grep -qx "which: $octave_dir/quenvor.mex" "$scratch/octave" || fail "Octave's quenvor is not the installed MEX file"
  head -n 1 "$octave_dir/quenvor.m" | sed 's/^% *//' >"$scratch/help_line"
  grep -qF -f "$scratch/help_line" "$scratch/octave" || fail "help quenvor does not show quenvor.m's text"
  [ "$failures" -eq "$failures_before" ] || cat "$scratch/octave"
fi

section "Debian packages"
if [ -z "$DPKG_DEB" ] || ! command -v dpkg-shlibdeps >/dev/null; then
  echo "dpkg-deb or dpkg-shlibdeps (dpkg-dev) is missing: not checked"
elif ! "$CPACK" --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$scratch/deb" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  fail "cpack -G DEB"
else
  main_deb=$(ls "$scratch"/deb/kestrum_"$PROJECT_VERSION"_*.deb 2>/dev/null)
  [ -n "$main_deb" ] || fail "no kestrum_${PROJECT_VERSION}_*.deb among: $(ls "$scratch/deb")"
  # Together the packages hold exactly the installed files, under /usr.
  for deb in "$scratch"/deb/*.deb; do
    "$DPKG_DEB" --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/||'
  done | sort >"$scratch/packaged"
  diff -u "$scratch/installed" "$scratch/packaged" ||
    fail "the packages' files differ from the installed ones (- installed, + packaged)"
  if [ -n "$main_deb" ]; then
    "$DPKG_DEB" -f "$main_deb" Package Version Depends
    depends=$("$DPKG_DEB" -f "$main_deb" Depends)
    for package in libc6 zlib1g libhdf5 libstdc++6; do
      [[ "$depends" == *"$package"* ]] || fail "the kestrum package's Depends lacks $package: $depends"
    done
    [[ "$depends" != *octave* ]] || fail "the kestrum package depends on Octave: $depends"
    [ "$("$DPKG_DEB" -f "$main_deb" Version)" = "$PROJECT_VERSION" ] || fail "the kestrum package's version"
  fi
  if [ "$HAVE_OCTAVE_MEX" = 1 ]; then
    octave_deb=$(ls "$scratch"/deb/kestrum-octave_"$PROJECT_VERSION"_*.deb 2>/dev/null)
    if [ -z "$octave_deb" ]; then
      fail "no kestrum-octave package"
    else
      depends=$("$DPKG_DEB" -f "$octave_deb" Depends)
      echo "kestrum-octave Depends: $depends"
      [[ "$depends" == *octave* ]] || fail "the kestrum-octave package's Depends lacks octave: $depends"
    fi
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
