#!/usr/bin/env bash
# Sets up a Debian 12 machine for Quillorn and builds the plug-in.
# Safe to re-run: every step checks what is already there.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
juce_version="8.0.6+ds-2"
juce_dir="$repo/external/juce"
build_dir="$repo/build/release"

packages=(
    build-essential cmake ninja-build pkg-config ccache dpkg-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxcomposite-dev
    libfreetype-dev libfontconfig-dev libasound2-dev
    libpng-dev libjpeg-dev zlib1g-dev
    fonts-dejavu-core xvfb xauth x11-utils
    googletest libgtest-dev
)

install_packages()
{
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The archive's address comes from this machine's own apt configuration: the
# repository that serves Debian's main suite for this release.
debian_archive_uri()
{
    apt-get indextargets --format '$(REPO_URI)' 'Identifier: Packages' 'Origin: Debian' 'Label: Debian' \
        "Codename: $(. /etc/os-release && echo "$VERSION_CODENAME")" | head -n 1
}

juce_stamp()
{
    # The unpacked tree is valid for one JUCE version and one set of our patches.
    { echo "$juce_version"; cat "$repo"/patches/juce/*.patch 2>/dev/null || true; } | sha256sum | cut -d' ' -f1
}

fetch_juce()
{
    if [ -f "$juce_dir/.quillorn-stamp" ] && [ "$(cat "$juce_dir/.quillorn-stamp")" = "$(juce_stamp)" ]; then
        return
    fi
    local uri work
    uri=$(debian_archive_uri)
    [ -n "$uri" ] || { echo "setup: no Debian archive found in the apt configuration" >&2; exit 1; }
    work=$(mktemp -d)
    mkdir -p "$work/lists/partial" "$work/src"
    # A private apt configuration with source entries only; the system's own sources stay untouched.
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri trixie main" > "$work/sources.list"
    local apt_opts=(-o "Dir::Etc::sourcelist=$work/sources.list" -o "Dir::Etc::sourceparts=-"
                    -o "Dir::State::Lists=$work/lists" -o "APT::Sandbox::User=root")
    echo "== fetching JUCE $juce_version"
    apt-get "${apt_opts[@]}" update -qq
    (cd "$work/src" && apt-get "${apt_opts[@]}" source -qq --only-source "juce=$juce_version" >/dev/null)
    local dsc_version
    dsc_version=$(sed -n 's/^Version: //p' "$work"/src/juce_*.dsc)
    [ "$dsc_version" = "$juce_version" ] || { echo "setup: got JUCE $dsc_version, need $juce_version" >&2; exit 1; }
    rm -rf "$juce_dir"
    mkdir -p "$(dirname "$juce_dir")"
    mv "$work"/src/juce-*/ "$juce_dir"
    for patch in "$repo"/patches/juce/*.patch; do
        [ -e "$patch" ] || continue
        echo "== applying $(basename "$patch")"
        patch -d "$juce_dir" -p1 --forward --quiet < "$patch"
    done
    juce_stamp > "$juce_dir/.quillorn-stamp"
    rm -rf "$work"
}

build_plugin()
{
    cmake -S "$repo" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
    cmake --build "$build_dir" --target Quillorn_VST3
    local bundle="$build_dir/Quillorn_artefacts/Release/VST3/Quillorn.vst3"
    mkdir -p "$HOME/.vst3"
    rm -rf "$HOME/.vst3/Quillorn.vst3"
    cp -r "$bundle" "$HOME/.vst3/"
    echo "== built $bundle"
    echo "== installed $HOME/.vst3/Quillorn.vst3"
}

install_packages
fetch_juce
build_plugin
