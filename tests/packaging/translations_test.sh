#!/bin/sh
# The translations of the desktop entries and the metainfo (po/packaging): the template holds
# what the files say today, every language of LINGUAS translates all of it (nothing fuzzy, the
# formats kept), and the merged files the build made (in FOLDER) carry each language and pass
# the validators that are installed.
# Usage: translations_test.sh FOLDER
set -eu
built=$(cd "$1" && pwd)
cd "$(dirname "$0")/../.."
catalog=po/packaging
sources="packaging/linux/duskline.desktop packaging/linux/duskline-follow.desktop
         packaging/linux/duskline.metainfo.xml"
fresh=$(mktemp)
trap 'rm -f "$fresh"' EXIT
# shellcheck disable=SC2086
xgettext --add-location=file --from-code=UTF-8 -o "$fresh" $sources
sed -i "s/charset=CHARSET/charset=UTF-8/" "$fresh"
msgcmp --use-untranslated "$catalog/duskline-packaging.pot" "$fresh" ||
  { echo "$catalog/duskline-packaging.pot: not extracted again after a change"; exit 1; }
msgcmp --use-untranslated "$fresh" "$catalog/duskline-packaging.pot" ||
  { echo "$catalog/duskline-packaging.pot: holds texts the files no longer have"; exit 1; }
for language in $(grep -v '^#' "$catalog/LINGUAS"); do
  msgfmt --check --statistics -o /dev/null "$catalog/$language.po"
  msgcmp "$catalog/$language.po" "$fresh" || { echo "$language: not every text translated"; exit 1; }
  grep -q "^Name\[$language\]=" "$built/duskline.desktop" || { echo "no Name[$language]"; exit 1; }
  grep -q "<summary xml:lang=\"$language\">" "$built/duskline.metainfo.xml" ||
    { echo "no summary in $language"; exit 1; }
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$built/duskline.desktop" "$built/duskline-follow.desktop"
fi
# Errors only: the component id's warning (not reverse-DNS) is the installed name's to keep.
if appstreamcli validate --no-net "$built/duskline.metainfo.xml" | grep '^E:'; then exit 1; fi
echo "translations: ok"
