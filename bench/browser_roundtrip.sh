#!/usr/bin/env bash
# Round trip with the real browsers: a profile of each (firefox-esr,
# chromium) is made and seeded headless in a temporary home, Norvale checks
# and tidies it while the browser is closed, and the browser, started
# again, is asked what it now holds. A run while the browser is open must
# write nothing. Pages come from the fixture server on 127.0.0.1 only.
#
# Usage: bench/browser_roundtrip.sh  (BUILD_DIR picks the build folder; the
# norvale program must be built). Installs firefox-esr and chromium when
# missing. Ends with 0 when every check held.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
norvale=$root/${BUILD_DIR:-build}/norvale
writer=$root/${BUILD_DIR:-build}/bench/bench_browser_write
driver=$root/bench/browser_driver.py
for program in "$norvale" "$writer"; do
    [ -x "$program" ] || { echo "build it first: $program" >&2; exit 2; }
done

missing=()
for package in firefox-esr chromium libqt6sql6-sqlite; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    started=$(date +%s)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
    echo "installed ${missing[*]} in $(($(date +%s) - started)) s"
fi

work=$(mktemp -d)
export HOME=$work/home
export NORVALE_REGISTRY=$work/registry.reg
mkdir -p "$HOME"
failures=0
browser_pid=
cleanup() {
    [ -n "$browser_pid" ] && kill -9 "$browser_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

check() { # description, then the command that must succeed
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# The fixture server ends when its standard input (the coprocess pipe,
# closed when this script ends) closes.
coproc SERVER { python3 tests/support/fixture_server.py; }
read -r port <&"${SERVER[0]}"
base=http://127.0.0.1:$port
live="$base/page?title=Live%20Page"
titled="$base/page?title=Page%20Title"
moved="$base/redirect?to=$(python3 -c 'import sys,urllib.parse;print(urllib.parse.quote(sys.argv[1],safe=""))' "$live")&status=301"
dead="$base/gone-for-good"
added="$base/page?title=Added%20Page"

# Norvale's settings: addresses and names brought up to date, dead moved.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n"ChangeName"="1"\r\n"MoveDead"="1"\r\n"Timeout"="3000"\r\n' >"$NORVALE_REGISTRY"

# A bookmarks.html as indented lines: "Folder/", "Title = address".
html_tree() {
    python3 - "$1" <<'PY'
import html, re, sys
depth = 0
for line in open(sys.argv[1], encoding="utf-8"):
    if re.search(r"<DL>", line): depth += 1
    if re.search(r"</DL>", line): depth -= 1
    folder = re.search(r"<H3[^>]*>([^<]*)</H3>", line)
    link = re.search(r'<A HREF="([^"]*)"[^>]*>([^<]*)</A>', line)
    if folder: print("  " * (depth - 1) + html.unescape(folder.group(1)) + "/")
    if link: print("  " * (depth - 1) + html.unescape(link.group(2)) + " = " + html.unescape(link.group(1)))
PY
}
# Whether the tree lines of FILE hold the lines given, one after the other,
# indented as given below the first one.
has_block() {
    python3 - "$@" <<'PY'
import sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
block = sys.argv[2:]
for i, line in enumerate(lines):
    indent = line[:len(line) - len(line.lstrip())]
    if line.strip() == block[0] and lines[i:i + len(block)] == [indent + b for b in block]:
        sys.exit(0)
sys.exit(1)
PY
}
# Norvale's reorganisation of the tidied tree: a folder added on the
# toolbar (named by its title), a bookmark added into it, one moved there,
# Work renamed, Dead Bookmarks removed with what it holds.
reorganisation() {
    cat <<JSON
[{"kind": "AddFolder", "id": "new:1", "value": "Norvale Added", "parent": "@$1"},
 {"kind": "AddBookmark", "id": "new:2", "value": "Added Page", "parent": "new:1", "url": "$added"},
 {"kind": "Move", "id": "@Page Title", "parent": "new:1"},
 {"kind": "SetTitle", "id": "@Work", "value": "Work Renamed"},
 {"kind": "Remove", "id": "@Dead Bookmarks"}]
JSON
}
check_reorganised() { # browser name, its tree as lines
    check "$1 shows the added folder with the added and the moved bookmark" has_block "$2" \
        "Norvale Added/" "  Added Page = $added" "  Page Title = $titled"
    check "$1 shows the renamed folder" has_block "$2" "Work Renamed/" "  Live Page = $live"
    check "$1 holds the moved bookmark once" test "$(grep -c "Page Title = " "$2")" -eq 1
    check "$1 holds no Dead Bookmarks and not what it held" bash -c "! grep -qE 'Dead Bookmarks|Gone' '$2'"
}

wait_browser() {
    for _ in $(seq 60); do kill -0 "$browser_pid" 2>/dev/null || { browser_pid=; return 0; }; sleep 1; done
    echo "the browser did not end; killed"; kill -9 "$browser_pid"; browser_pid=
}

######## Firefox
echo "== Firefox $(firefox-esr --version 2>/dev/null)"
profile=$HOME/.mozilla/firefox/bench.default
firefox-esr --headless -CreateProfile "bench $profile" >/dev/null 2>&1
cat >"$work/seed.html" <<HTML
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>
<DL><p>
    <DT><H3 PERSONAL_TOOLBAR_FOLDER="true">Bookmarks Toolbar</H3>
    <DL><p>
        <DT><A HREF="$live">Live Page</A>
        <DT><A HREF="$titled">old name</A>
        <DT><H3>Work</H3>
        <DL><p>
            <DT><A HREF="$moved">Moved</A>
            <DT><A HREF="$dead">Gone</A>
        </DL><p>
    </DL><p>
</DL><p>
HTML
run_firefox() { # prefs..., then quits it through Marionette once it is up
    printf '%s\n' 'user_pref("marionette.port", 28329);' "$@" >"$profile/user.js"
    firefox-esr --headless --marionette --profile "$profile" about:blank >>"$work/firefox.log" 2>&1 &
    browser_pid=$!
}
quit_firefox() { python3 "$driver" firefox-quit 28329 >/dev/null; wait_browser; }

run_firefox 'user_pref("browser.places.importBookmarksHTML", true);' \
    "user_pref(\"browser.bookmarks.file\", \"$work/seed.html\");"
sleep 5
quit_firefox
echo "-- what norvale reads after Firefox imported the seed:"
"$norvale" --browsers
"$norvale" --browser firefox --print
places=$(find "$HOME" -name places.sqlite -path '*bench.default*' | head -1)
check "Firefox holds the seeded bookmarks" grep -q "Gone" <("$norvale" --browser firefox --print)

echo "-- while Firefox runs:"
run_firefox 'user_pref("browser.places.importBookmarksHTML", false);'
sleep 6
"$norvale" --browser firefox /inspect | tee "$work/running.txt"
check "nothing written while Firefox runs" grep -q "not written: Firefox is running" "$work/running.txt"
check "no backup made while Firefox runs" bash -c "! ls '$places'.norvale-* 2>/dev/null | grep -q ."
quit_firefox

echo "-- with Firefox closed:"
"$norvale" --browser firefox /inspect --report "$work/firefox-report.json" | tee "$work/closed.txt"
check "the tidy was written" grep -q "^Changed: move \"Gone\"" "$work/closed.txt"
check "a dated backup lies beside places.sqlite" bash -c "ls '$places'.norvale-* | grep -q ."

echo "-- what Firefox holds once started again (its bookmarks.html export at shutdown):"
run_firefox 'user_pref("browser.places.importBookmarksHTML", false);' \
    'user_pref("browser.bookmarks.autoExportHTML", true);' \
    "user_pref(\"browser.bookmarks.file\", \"$work/export.html\");"
sleep 5
quit_firefox
html_tree "$work/export.html"
check "Firefox shows the page title as the name" grep -q ">Page Title</A>" "$work/export.html"
check "Firefox holds the moved address" test "$(grep -cF "HREF=\"$live\"" "$work/export.html")" -eq 2
check "Firefox holds no bookmark of the old redirect" bash -c "! grep -qF 'redirect?to' '$work/export.html'"
check "Firefox shows Dead Bookmarks with the dead one" bash -c "grep -A3 '>Dead Bookmarks</H3>' '$work/export.html' | grep -q '>Gone</A>'"
check "Firefox kept its database (nothing set aside as corrupt)" bash -c "! ls '$(dirname "$places")' | grep -q corrupt"

echo "-- Norvale adds, moves, renames and removes with Firefox closed:"
reorganisation "Bookmarks Toolbar" >"$work/changes.json"
"$writer" firefox "$work/changes.json" | tee "$work/written.txt"
check "the reorganisation was written" grep -q "^written" "$work/written.txt"
echo "-- what Firefox holds once started again:"
run_firefox 'user_pref("browser.places.importBookmarksHTML", false);' \
    'user_pref("browser.bookmarks.autoExportHTML", true);' \
    "user_pref(\"browser.bookmarks.file\", \"$work/export2.html\");"
sleep 5
quit_firefox
html_tree "$work/export2.html" | tee "$work/firefox-tree.txt"
check_reorganised Firefox "$work/firefox-tree.txt"
check "Firefox kept its database after the reorganisation" bash -c "! ls '$(dirname "$places")' | grep -q corrupt"

######## Chromium
echo "== $(chromium --version 2>/dev/null)"
data=$HOME/.config/chromium
# Whether a Bookmarks file's checksum is the one Chromium computes.
checksum_holds() {
    python3 - "$1" <<'PY'
import hashlib, json, sys
doc = json.load(open(sys.argv[1]))
digest = hashlib.md5()
def walk(node):
    digest.update(node["id"].encode()); digest.update(node["name"].encode("utf-16-le"))
    if node["type"] == "url":
        digest.update(b"url"); digest.update(node["url"].encode())
    else:
        digest.update(b"folder")
        for child in node.get("children", []): walk(child)
for key in ("bookmark_bar", "other", "synced"): walk(doc["roots"][key])
sys.exit(0 if digest.hexdigest() == doc["checksum"] else 1)
PY
}
run_chromium() {
    rm -f "$data/DevToolsActivePort"
    chromium --headless=new --no-sandbox --no-first-run --disable-gpu --remote-debugging-port=0 \
        --user-data-dir="$data" about:blank >>"$work/chromium.log" 2>&1 &
    browser_pid=$!
    for _ in $(seq 60); do [ -s "$data/DevToolsActivePort" ] && break; sleep 0.5; done
    cdp=$(head -1 "$data/DevToolsActivePort")
}
python3 - "$live" "$titled" "$moved" "$dead" >"$work/seed.json" <<'PY'
import json, sys
live, titled, moved, dead = sys.argv[1:]
print(json.dumps([{"title": "Live Page", "url": live}, {"title": "old name", "url": titled},
                  {"folder": "Work", "title": "Moved", "url": moved},
                  {"folder": "Work", "title": "Gone", "url": dead}]))
PY
run_chromium
python3 "$driver" chromium-seed "$cdp" "$work/seed.json"
wait_browser
echo "-- what norvale reads after Chromium saved the seed:"
"$norvale" --browser chromium --print
check "Chromium wrote the seeded bookmarks" grep -q "Gone" <("$norvale" --browser chromium --print)
check "our checksum is Chromium's" checksum_holds "$data/Default/Bookmarks"

echo "-- while Chromium runs:"
run_chromium
before=$(sha256sum "$data/Default/Bookmarks")
"$norvale" --browser chromium /inspect | tee "$work/running.txt"
check "nothing written while Chromium runs" grep -q "not written: Chromium is running" "$work/running.txt"
check "the Bookmarks file is byte for byte as it was" test "$before" = "$(sha256sum "$data/Default/Bookmarks")"
python3 "$driver" chromium-tree "$cdp" >/dev/null
wait_browser

echo "-- with Chromium closed:"
"$norvale" --browser chromium /inspect --report "$work/chromium-report.csv" | tee "$work/closed.txt"
check "the tidy was written" grep -q "^Changed: move \"Gone\"" "$work/closed.txt"
check "a dated backup lies beside Bookmarks" bash -c "ls '$data/Default/Bookmarks'.norvale-* | grep -q ."

echo "-- what Chromium holds once started again (chrome.bookmarks.getTree):"
run_chromium
python3 "$driver" chromium-tree "$cdp" | tee "$work/tree.txt"
wait_browser
check "Chromium shows the page title as the name" grep -q "^  Page Title = " "$work/tree.txt"
check "Chromium holds the moved address" grep -qF "    Live Page = $live" "$work/tree.txt"
check "Chromium shows Dead Bookmarks with the dead one" grep -qF "    Gone = $dead" "$work/tree.txt"
check "Chromium kept our file (its checksum held: no reload from a backup)" bash -c "grep -q 'Dead Bookmarks' '$data/Default/Bookmarks'"

echo "-- Norvale adds, moves, renames and removes with Chromium closed:"
reorganisation "Bookmarks bar" >"$work/changes.json"
"$writer" chromium "$work/changes.json" | tee "$work/written.txt"
check "the reorganisation was written" grep -q "^written" "$work/written.txt"
check "the checksum Norvale wrote holds" checksum_holds "$data/Default/Bookmarks"
ours=$(sha256sum "$data/Default/Bookmarks")
files=$(ls "$data/Default")
echo "-- what Chromium holds once started again:"
run_chromium
python3 "$driver" chromium-tree "$cdp" | tee "$work/chromium-tree.txt"
wait_browser
check_reorganised Chromium "$work/chromium-tree.txt"
# Chromium writes over a file it had to mend (ids or guids given anew).
check "Chromium left our file byte for byte (nothing to mend)" test "$ours" = "$(sha256sum "$data/Default/Bookmarks")"
check "Chromium set no copy of it aside" bash -c "diff <(echo '$files' | grep Bookmarks) <(ls '$data/Default' | grep Bookmarks)"

######## kill -9 during the tidy
# The tidy is run from the untidy copy again and again, killed at times
# spread over its run, the write being near the end; after every
# kill the file must be whole: the old bookmarks or the tidy ones, nothing
# between.
whole() { # family, file: prints "old" or "tidy", fails when neither
    python3 - "$@" <<'PY'
import hashlib, json, sqlite3, sys
family, path = sys.argv[1:]
if family == "firefox":
    db = sqlite3.connect(path)  # a hot journal left by the kill is rolled back here
    assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
    titles = sorted(t for (t,) in db.execute("SELECT title FROM moz_bookmarks WHERE type = 1"))
    dead = db.execute("SELECT COUNT(*) FROM moz_bookmarks WHERE title = 'Dead Bookmarks'").fetchone()[0]
else:
    doc = json.load(open(path))
    digest = hashlib.md5()
    titles, dead = [], 0
    def walk(node):
        global dead
        digest.update(node["id"].encode()); digest.update(node["name"].encode("utf-16-le"))
        if node["type"] == "url":
            digest.update(b"url"); digest.update(node["url"].encode()); titles.append(node["name"])
        else:
            digest.update(b"folder"); dead += node["name"] == "Dead Bookmarks"
            for child in node.get("children", []): walk(child)
    for key in ("bookmark_bar", "other", "synced"): walk(doc["roots"][key])
    assert digest.hexdigest() == doc["checksum"], "checksum"
    titles.sort()
if titles == ["Gone", "Live Page", "Moved", "old name"] and dead == 0:
    print("old")
elif titles == ["Gone", "Live Page", "Live Page", "Page Title"] and dead == 1:
    print("tidy")
else:
    sys.exit("torn: %s, %d Dead Bookmarks folders" % (titles, dead))
PY
}
kill_during_tidy() { # family, browser name, store file
    local family=$1 name=$2 file=$3 untidy old=0 tidy=0 torn=0
    untidy=$(ls "$file".norvale-* | head -1)
    cp "$untidy" "$work/untidy"
    local started=$(date +%s%N)
    cp "$work/untidy" "$file"
    "$norvale" --browser "$name" /inspect >/dev/null
    local run_ms=$((($(date +%s%N) - started) / 1000000))
    # The pauses are worked out beforehand: working one out while the run
    # goes would itself take longer than the write.
    local pauses
    pauses=$(python3 -c "print(' '.join('%.4f' % ($run_ms * (0.3 + 0.04 * i) / 1000) for i in range(20)))")
    for pause in $pauses; do
        cp "$work/untidy" "$file"
        rm -f "$file"-wal "$file"-shm "$file"-journal
        "$norvale" --browser "$name" /inspect >/dev/null 2>&1 &
        local pid=$!
        sleep "$pause"
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        case $(whole "$family" "$file") in
        old) old=$((old + 1)) ;;
        tidy) tidy=$((tidy + 1)) ;;
        *) torn=$((torn + 1)) ;;
        esac
    done
    echo "$name: a whole run takes ${run_ms} ms; 20 kills left $old untidy, $tidy tidy, $torn torn"
    check "$name's file stayed whole through every kill" test "$torn" -eq 0
}
echo "== kill -9 during the tidy"
kill_during_tidy firefox firefox "$places"
kill_during_tidy chromium chromium "$data/Default/Bookmarks"

echo "== $failures check(s) failed"
exit $((failures > 0))
