#!/usr/bin/env bash
# Builds the libraries of the Windows tree that Debian does not ship for mingw-w64 (libpng,
# libjpeg-turbo, FreeType, libogg, libvorbis, libtheora, GLEW) from Debian's own source
# packages, static, into a prefix in the user's cache folder named by their versions, and
# prints that prefix. zlib comes from libz-mingw-w64-dev. A second run with the same versions
# finds the prefix and builds nothing; without network it works from the package lists
# fetched before.
#
# The source packages come from a deb-src entry for the main archive in an apt configuration
# of our own, under the cache folder: the machine's apt sources are never changed.
#
# Usage: build-windows-deps.sh [source-package...]   (default: all of the above)
# Everything but the prefix goes to standard error. A library that cannot be fetched or built
# stops the script with its name and the reason, and a non-zero status.
set -euo pipefail

host=x86_64-w64-mingw32
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache=${NIMBREL_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/nimbrel}
jobs=${JOBS:-$(nproc)}
packages=("$@")
if [ ${#packages[@]} -eq 0 ]; then
  # Dependencies first: vorbis and theora link against ogg.
  packages=(libogg libvorbis libtheora libpng1.6 libjpeg-turbo freetype glew)
fi

say() { echo "build-windows-deps: $*" >&2; }
fail() { say "$1: $2"; exit 1; }

for tool in "$host-gcc-posix" "$host-g++-posix" cmake make apt-get; do
  command -v "$tool" >/dev/null || fail "$tool" "not installed (make deps installs the toolchain)"
done
[ -f /usr/$host/include/zlib.h ] || fail zlib "libz-mingw-w64-dev is not installed"

# The private apt configuration: its own source list, package lists and archive cache.
apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
list_line="deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main"
if [ ! -f "$apt_dir/sources.list" ] || [ "$(cat "$apt_dir/sources.list")" != "$list_line" ]; then
  echo "$list_line" > "$apt_dir/sources.list"
  rm -rf "$apt_dir/lists"/*_Sources* 2>/dev/null || true
fi
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o APT::Sandbox::User=root)

if ! compgen -G "$apt_dir/lists/*_Sources*" >/dev/null; then
  say "fetching the source package lists of $suite"
  if ! apt-get "${apt_options[@]}" -qq update >"$apt_dir/update.log" 2>&1; then
    fail "package lists" "apt-get update failed: $(tail -n 3 "$apt_dir/update.log" | tr '\n' ' ')"
  fi
fi

# The version of a source package in the private lists; empty when it is not there.
version_of() {
  apt-cache "${apt_options[@]}" showsrc --only-source "$1" 2>/dev/null |
    awk '/^Version:/ { print $2; exit }'
}

versions=()
for p in "${packages[@]}"; do
  v=$(version_of "$p")
  [ -n "$v" ] || fail "$p" "no such source package in $suite main"
  versions+=("$p=$v")
done
# The prefix is named by every library and version it holds (and the compiler), shortened to
# a digest so that the name stays readable.
compiler=$("$host-gcc-posix" -dumpversion)
key=$(printf '%s\n' "${versions[@]}" "gcc=$compiler" "recipe=3" | sha256sum | cut -c1-16)
prefix=$cache/windows-deps-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

say "building into $prefix: ${versions[*]}"
rm -rf "$prefix"
mkdir -p "$prefix"
printf '%s\n' "${versions[@]}" "gcc=$compiler" > "$prefix/versions.txt"
work=$cache/work-$key
rm -rf "$work"
mkdir -p "$work"
log=$work/build.log

# Runs a build step; on failure names the library and shows the end of its log.
step() {
  local library=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    say "$library: build step failed: $*"
    tail -n 25 "$log" >&2
    fail "$library" "could not be built (whole log: $log)"
  fi
}

# Downloads the source package and unpacks its upstream tarball; prints the source folder.
fetch() {
  local package=$1 version=$2 folder=$work/$1
  mkdir -p "$folder"
  if ! (cd "$folder" && apt-get "${apt_options[@]}" -qq source --download-only "$package=$version") \
      >>"$log" 2>&1; then
    fail "$package" "apt-get source could not fetch $version: $(tail -n 2 "$log" | tr '\n' ' ')"
  fi
  local tarball
  tarball=$(ls "$folder"/*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n 1)
  [ -n "$tarball" ] || fail "$package" "the source package has no upstream tarball"
  mkdir -p "$folder/src"
  tar -xf "$tarball" -C "$folder/src" || fail "$package" "cannot unpack $(basename "$tarball")"
  # The tarball holds one folder.
  local top
  top=$(find "$folder/src" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [ -n "$top" ] || fail "$package" "empty upstream tarball"
  echo "$top"
}

cmake_build() {
  local library=$1 source=$2
  shift 2
  step "$library" cmake -S "$source" -B "$source/_build" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
    -DNIMBREL_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@"
  step "$library" cmake --build "$source/_build" -j "$jobs"
  step "$library" cmake --install "$source/_build"
}

configure_build() {
  local library=$1 source=$2
  shift 2
  step "$library" env -C "$source" PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH= \
    CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib" \
    CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" CFLAGS="-O2" \
    ./configure --host=$host --prefix="$prefix" --enable-static --disable-shared "$@"
  step "$library" make -C "$source" -j "$jobs"
  step "$library" make -C "$source" install
}

# The library alone, for packages whose other folders do not build from the upstream tarball.
configure_build_library() {
  local library=$1 source=$2
  shift 2
  step "$library" env -C "$source" PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH= \
    CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib" \
    CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" CFLAGS="-O2" \
    ./configure --host=$host --prefix="$prefix" --enable-static --disable-shared "$@"
  step "$library" make -C "$source/lib" -j "$jobs"
  step "$library" make -C "$source/lib" install
  step "$library" make -C "$source/include" install
  step "$library" make -C "$source" install-pkgconfigDATA
}

build_one() {
  local package=$1 version=$2 source
  say "$package $version"
  source=$(fetch "$package" "$version")
  case $package in
    libogg)
      cmake_build "$package" "$source" -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF ;;
    libvorbis)
      configure_build "$package" "$source" --disable-docs --disable-examples --disable-oggtest ;;
    libtheora)
      # The upstream scripts predate the 64-bit Windows target's assembler conventions.
      # Debian's upstream tarball leaves out documents that the doc folder's build wants.
      configure_build_library "$package" "$source" --disable-asm --disable-examples --disable-oggtest \
        --disable-vorbistest --disable-sdltest --disable-doc --disable-spec ;;
    libpng1.6)
      cmake_build "$package" "$source" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF ;;
    libjpeg-turbo)
      # Without the SIMD code: it needs nasm, and the engine reads few JPEG files.
      cmake_build "$package" "$source" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
        -DWITH_TURBOJPEG=OFF ;;
    freetype)
      cmake_build "$package" "$source" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
        -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON ;;
    glew)
      # One source file; static, so its users define GLEW_STATIC (Vornel3D_GL does).
      step "$package" "$host-gcc-posix" -O2 -DGLEW_STATIC -I"$source/include" -c "$source/src/glew.c" \
        -o "$source/glew.o"
      mkdir -p "$prefix/lib" "$prefix/include/GL"
      step "$package" "$host-ar" rcs "$prefix/lib/libglew32s.a" "$source/glew.o"
      cp "$source"/include/GL/*.h "$prefix/include/GL/" ;;
    *)
      fail "$package" "no build recipe for this library" ;;
  esac
}

for entry in "${versions[@]}"; do
  build_one "${entry%%=*}" "${entry#*=}"
done

touch "$prefix/.complete"
rm -rf "$work"
say "done"
echo "$prefix"
