#!/bin/sh
# The setup of glintmoor-setup.run, run by the stub in the folder it
# unpacked: installs glintmoor for this user into ~/.local (the program, its
# manual page, XScreenSaver's settings page and an uninstaller) and says how
# to add it to XScreenSaver. Running it again replaces an older install.
set -eu
bin=$HOME/.local/bin
share=$HOME/.local/share
own=$share/glintmoor

mkdir -p "$bin" "$share/man/man6" "$own"
# A new file renamed over the old one: a running show keeps its program.
cp glintmoor "$bin/.glintmoor.new"
chmod 755 "$bin/.glintmoor.new"
mv -f "$bin/.glintmoor.new" "$bin/glintmoor"
cp glintmoor.6 "$share/man/man6/glintmoor.6"
cp glintmoor.xml "$own/glintmoor.xml"
cat >"$own/uninstall.sh" <<UNINSTALL
#!/bin/sh
# Removes what glintmoor-setup.run installed; the settings in
# ~/.config/glintmoor and the line in ~/.xscreensaver stay.
rm -f "$bin/glintmoor" "$share/man/man6/glintmoor.6"
rm -rf "$own"
echo "glintmoor is removed."
UNINSTALL
chmod 755 "$own/uninstall.sh"

echo "glintmoor is installed: $bin/glintmoor"
missing=$(ldd "$bin/glintmoor" 2>/dev/null | sed -n 's/^[[:space:]]*\([^ ]*\) => not found.*/\1/p')
if [ -n "$missing" ]; then
    echo "It needs libraries this system lacks:" $missing
    echo "(on Debian: apt install libgtk-3-0 libpng16-16 libfreetype6 libfontconfig1 libxext6)"
fi
case ":$PATH:" in
*":$bin:"*) ;;
*) echo "$bin is not in PATH; add it (Debian's ~/.profile does so at the next login)." ;;
esac
cat <<EOF2

To add it to XScreenSaver, run

    $bin/glintmoor --add-to-xscreensaver

or add this line to the programs: list in ~/.xscreensaver:

				glintmoor -root				    \\n\\

then choose Glintmoor in xscreensaver-settings. XScreenSaver reads the
settings page of its hacks only from its own folder; for glintmoor's sliders
there, copy $own/glintmoor.xml
to /usr/share/xscreensaver/config/ (as root). glintmoor /c opens glintmoor's
own settings dialog either way.

To remove glintmoor: $own/uninstall.sh
EOF2
