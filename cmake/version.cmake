# The version of Brantle, set here once. The first two numbers are the
# version text the program shows and the update check compares ("1.10"), the
# third is the build number (1). Everything else that shows a version is
# derived from it: the About dialog, the update check, the version resource,
# the manifest and the release's file name.
set(BRANTLE_VERSION 1.10.1)
