# shellcheck shell=bash
# Sourced by tools/test.sh and tools/package.sh: both builds compile through
# ccache, so that the package build, a copy of the tree compiled with the same
# flags, takes the first build's objects instead of compiling them again.
if command -v ccache >/dev/null; then
    # CMake reads the launcher from the environment when it configures a build.
    [ -n "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] || export CMAKE_CXX_COMPILER_LAUNCHER=ccache
    # Paths inside the tree are hashed relative to the build folder, so the
    # copy under build-deb/ matches (a base_dir of your own that holds both is kept).
    [ -n "$(ccache -k base_dir 2>/dev/null)" ] || export CCACHE_BASEDIR="$PWD"
    # The build folder's own name (build/ or obj-<arch>/) stays out of the hash:
    # it only names the folder of the debug information, whose paths are
    # relative to the tree (-ffile-prefix-map) and so point at the same sources.
    export CCACHE_NOHASHDIR=1
fi

# The C++ flags of the Debian package's build (debian/rules: dpkg-buildflags,
# with CPPFLAGS appended as debhelper does for CMake).
package_cxxflags() {
    local maint
    maint=$(sed -n 's/^export DEB_BUILD_MAINT_OPTIONS *= *//p' debian/rules)
    echo "$(DEB_BUILD_MAINT_OPTIONS="$maint" dpkg-buildflags --get CXXFLAGS)" \
        "$(DEB_BUILD_MAINT_OPTIONS="$maint" dpkg-buildflags --get CPPFLAGS)"
}
