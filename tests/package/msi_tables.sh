# Sourced by the installer checks: the tables of a Windows Installer package,
# read back with msiinfo.
# table <msi> <table>: its rows, tab separated, without the header lines.
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
# folder_of <msi> <file name>: the file's folder below the install folder, "."
# for that one, from the File, Component and Directory tables.
folder_of() {
  local component directory path="" row
  component=$(table "$1" File | awk -F'\t' -v n="$2" '$3 == n || $3 ~ ("[|]" n "$") {print $2; exit}')
  [ -n "$component" ] || { echo "not in the package"; return; }
  directory=$(table "$1" Component | awk -F'\t' -v c="$component" '$1 == c {print $3}')
  while [ -n "$directory" ] && [ "$directory" != INSTALLFOLDER ]; do
    row=$(table "$1" Directory | awk -F'\t' -v d="$directory" '$1 == d {print $2 "\t" $3}')
    path="${row##*[|	]}${path:+\\$path}" directory=${row%%	*}
  done
  echo "${path:-.}"
}
