# Sourced by the packaging tests. Installing writes BUILD/install_manifest.txt, which lists the
# files of the user's own last install (the README's way to uninstall it): keep_install_manifest
# BUILD puts it back as it was when the test ends.
keep_install_manifest() {
  manifest=$1/install_manifest.txt
  saved=$(mktemp)
  if [[ -f "$manifest" ]]; then cp -p "$manifest" "$saved"; else rm -f "$saved"; fi
  trap restore_install_manifest EXIT
}
restore_install_manifest() {
  if [[ -f "$saved" ]]; then mv -f "$saved" "$manifest"; else rm -f "$manifest"; fi
}
