<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutBox</name>
    <message>
        <source>Place names: GeoNames (geonames.org), CC BY 4.0</source>
        <translation>Ortsnamen: GeoNames (geonames.org), CC BY 4.0</translation>
    </message>
    <message>
        <source>Turns every photo in a folder into one wall that opens in your web browser.</source>
        <translation>Macht aus allen Fotos eines Ordners eine Fotowand, die sich in Ihrem Webbrowser öffnet.</translation>
    </message>
    <message>
        <source>About Kestova</source>
        <translation>Über Kestova</translation>
    </message>
</context>
<context>
    <name>AppShell</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Choose a Folder or Drive…</source>
        <translation>Ordner oder Laufwerk wählen…</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Send Feedback…</source>
        <translation>Rückmeldung senden…</translation>
    </message>
    <message>
        <source>Join the Kestova Pro Waitlist…</source>
        <translation>Auf die Warteliste für Kestova Pro…</translation>
    </message>
    <message>
        <source>Kestova Website</source>
        <translation>Kestova-Website</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>--out needs a folder.</source>
        <translation>--out braucht einen Ordner.</translation>
    </message>
    <message>
        <source>--title needs a text.</source>
        <translation>--title braucht einen Text.</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;.</source>
        <translation>unbekannte Option „%1“.</translation>
    </message>
    <message>
        <source>give one SOURCE folder.</source>
        <translation>geben Sie einen einzigen QUELLE-Ordner an.</translation>
    </message>
    <message>
        <source>give a SOURCE folder.</source>
        <translation>geben Sie einen QUELLE-Ordner an.</translation>
    </message>
    <message>
        <source>
Stopping… Press Ctrl-C again to quit at once.
</source>
        <translation>
Wird angehalten… Erneut Strg-C drücken, um sofort zu beenden.
</translation>
    </message>
    <message>
        <source>Stopped while looking for photos. No wall was written.</source>
        <translation>Während der Suche nach Fotos angehalten. Es wurde keine Fotowand geschrieben.</translation>
    </message>
    <message>
        <source>List the photos a wall of SOURCE would include, one JSON object per line.</source>
        <translation>Die Fotos auflisten, die eine Fotowand von QUELLE enthielte, ein JSON-Objekt pro Zeile.</translation>
    </message>
    <message>
        <source>Build the wall of SOURCE, show its progress, and add it to Your walls.</source>
        <translation>Die Fotowand von QUELLE erstellen, den Fortschritt zeigen und sie zu „Ihre Fotowände“ hinzufügen.</translation>
    </message>
    <message>
        <source>List the walls built recently, newest first.</source>
        <translation>Die zuletzt erstellten Fotowände auflisten, die neueste zuerst.</translation>
    </message>
    <message>
        <source>Usage: kestova-cli COMMAND [ARGUMENTS]

Kestova turns every photo in a folder into one scrollable wall: a web page that
opens in your browser and works without Kestova.

Commands:
</source>
        <translation>Aufruf: kestova-cli BEFEHL [ARGUMENTE]

Kestova macht aus allen Fotos eines Ordners eine einzige Fotowand zum Durchscrollen:
eine Webseite, die sich im Browser öffnet und ohne Kestova funktioniert.

Befehle:
</translation>
    </message>
    <message>
        <source>kestova-cli: unknown command &quot;%1&quot;. Try kestova-cli --help.</source>
        <translation>kestova-cli: unbekannter Befehl „%1“. Versuchen Sie kestova-cli --help.</translation>
    </message>
    <message>
        <source>Usage: kestova-cli scan SOURCE [--out DIR]</source>
        <translation>Aufruf: kestova-cli scan QUELLE [--out ORDNER]</translation>
    </message>
    <message>
        <source>Lists the photos a wall of SOURCE would include, one JSON object per line:
{&quot;rel&quot;: path inside SOURCE, &quot;size&quot;: bytes, &quot;mtime&quot;: seconds since 1970}.
--out DIR names an output folder to leave out of the walk.</source>
        <translation>Listet die Fotos auf, die eine Fotowand von QUELLE enthielte, ein JSON-Objekt pro Zeile:
{&quot;rel&quot;: Pfad in QUELLE, &quot;size&quot;: Bytes, &quot;mtime&quot;: Sekunden seit 1970}.
--out ORDNER nennt einen Ausgabeordner, der beim Durchsuchen übergangen wird.</translation>
    </message>
    <message>
        <source>kestova-cli scan: can&apos;t find &quot;%1&quot;: %2.</source>
        <translation>kestova-cli scan: „%1“ nicht gefunden: %2.</translation>
    </message>
    <message>
        <source>kestova-cli scan: &quot;%1&quot; is not a folder. Kestova works on folders and drives.</source>
        <translation>kestova-cli scan: „%1“ ist kein Ordner. Kestova arbeitet mit Ordnern und Laufwerken.</translation>
    </message>
    <message>
        <source>Usage: kestova-cli walls [--json]</source>
        <translation>Aufruf: kestova-cli walls [--json]</translation>
    </message>
    <message>
        <source>kestova-cli walls: unknown argument &quot;%1&quot;.</source>
        <translation>kestova-cli walls: unbekanntes Argument „%1“.</translation>
    </message>
    <message>
        <source>No walls yet. Build one with: kestova-cli build SOURCE</source>
        <translation>Noch keine Fotowände. Erstellen Sie eine mit: kestova-cli build QUELLE</translation>
    </message>
    <message>
        <source>  source: %1</source>
        <translation>  Quelle:   %1</translation>
    </message>
    <message>
        <source>  wall:   %1</source>
        <translation>  Fotowand: %1</translation>
    </message>
    <message>
        <source>SOURCE [--out DIR]</source>
        <translation>QUELLE [--out ORDNER]</translation>
    </message>
    <message>
        <source>
Stopping… Another signal quits at once.
</source>
        <translation>
Wird angehalten… Ein weiteres Signal beendet sofort.
</translation>
    </message>
    <message>
        <source>
kestova-cli COMMAND --help shows what a command does and its options.
kestova-cli --version shows the version.
</source>
        <translation>
kestova-cli BEFEHL --help zeigt, was ein Befehl tut und welche Optionen er hat.
kestova-cli --version zeigt die Version.
</translation>
    </message>
    <message>
        <source>Lists the walls built recently, newest first: title, photos, when updated, whether a
stop left it unfinished, the source folder and the wall&apos;s index.html. --json prints
them as one JSON array of objects {&quot;root&quot;, &quot;gallery&quot;, &quot;title&quot;, &quot;photos&quot;,
&quot;updated&quot; (seconds since 2001-01-01 UTC)}, with &quot;videos&quot; when the wall has videos
and &quot;toDo&quot; (the photos still to do) when it is unfinished.</source>
        <translation>Listet die zuletzt erstellten Fotowände auf, die neueste zuerst: Titel, Fotos, wann aktualisiert,
ob ein Anhalten sie unvollständig ließ, den Quellordner und die index.html der Fotowand. --json
gibt sie als ein JSON-Array von Objekten aus: {&quot;root&quot;, &quot;gallery&quot;, &quot;title&quot;, &quot;photos&quot;,
&quot;updated&quot; (Sekunden seit 2001-01-01 UTC)}, mit &quot;videos&quot;, wenn die Fotowand Videos hat,
und &quot;toDo&quot; (die noch fehlenden Fotos), wenn sie unvollständig ist.</translation>
    </message>
    <message>
        <source>Usage: kestova-cli build SOURCE [--out DIR] [--title TEXT] [--no-dedupe] [--previews] [--portable] [--no-portable] [--video-copies] [--wait] [--retry-skipped] [--json] [--open]
</source>
        <translation>Aufruf: kestova-cli build QUELLE [--out ORDNER] [--title TEXT] [--no-dedupe] [--previews] [--portable] [--no-portable] [--video-copies] [--wait] [--retry-skipped] [--json] [--open]
</translation>
    </message>
    <message>
        <source>Builds the wall of every photo in SOURCE and adds it to Your walls.
  --out DIR     write the wall into DIR instead of SOURCE/_Photo Gallery
                (or Pictures/Kestova when SOURCE is read-only)
  --title TEXT  the wall&apos;s title instead of the folder&apos;s name
  --no-dedupe   show duplicate copies on this wall (the saved setting is unchanged)
  --previews    also make the large previews that a wall built before them lacks (this
                decodes each HEIC, TIFF and raw photo again)
  --portable    make the wall portable: it keeps a screen-size copy of every photo, so
                that copied away from the photos it still shows each one sharp; the wall
                remembers it, and its updates add the copies of new photos
  --no-portable new photos of this wall get no copies; those it has are kept
  --video-copies  make a playable copy of every video the browser cannot play, not only
                of live photos and videos under 30 seconds (a copy takes up to as long
                as its video plays)
  --wait        when another Kestova is writing the same wall, wait for it to finish
                (without it the build does not start and exits with status 75)
  --retry-skipped  try again the photos passed over because they crashed a decoder
  --json        print the result as one JSON object on one line
  --open        open the finished wall in the web browser
Ctrl-C, SIGTERM and SIGHUP stop: while looking for photos nothing is written; later the
photos done so far make a wall that the next build finishes, and the exit status is 128
plus the signal&apos;s number (130, 143, 129). A second signal ends at once.
</source>
        <translation>Erstellt die Fotowand aller Fotos in QUELLE und fügt sie zu „Ihre Fotowände“ hinzu.
  --out ORDNER  die Fotowand in ORDNER schreiben statt in QUELLE/_Photo Gallery
                (oder Bilder/Kestova, wenn QUELLE schreibgeschützt ist)
  --title TEXT  der Titel der Fotowand statt des Ordnernamens
  --no-dedupe   doppelte Kopien auf dieser Fotowand zeigen (die gespeicherte Einstellung bleibt)
  --previews    auch die großen Vorschauen erstellen, die einer früher erstellten Fotowand fehlen
                (dazu wird jedes HEIC-, TIFF- und RAW-Foto erneut dekodiert)
  --portable    die Fotowand mitnehmbar machen: Sie enthält eine Kopie jedes Fotos in
                Bildschirmgröße und zeigt, fern von den Fotos kopiert, jedes scharf; die Fotowand
                merkt es sich, und ihre Aktualisierungen fügen die Kopien neuer Fotos hinzu
  --no-portable neue Fotos dieser Fotowand bekommen keine Kopien; die vorhandenen bleiben
  --video-copies  von jedem Video, das der Browser nicht abspielen kann, eine abspielbare Kopie
                erstellen, nicht nur von Live Photos und Videos unter 30 Sekunden (eine Kopie
                kann so lange dauern, wie ihr Video läuft)
  --wait        wenn ein anderes Kestova gerade dieselbe Fotowand schreibt, warten, bis es fertig ist
                (ohne diese Option beginnt der Lauf nicht und endet mit dem Status 75)
  --retry-skipped  die Fotos erneut versuchen, die übergangen wurden, weil ein Decoder an ihnen abstürzte
  --json        das Ergebnis als ein JSON-Objekt in einer Zeile ausgeben
  --open        die fertige Fotowand im Webbrowser öffnen
Strg-C, SIGTERM und SIGHUP halten an: während der Suche nach Fotos wird nichts geschrieben;
danach ergeben die bisher fertigen Fotos eine Fotowand, die der nächste Lauf vollendet, und der
Exit-Status ist 128 plus die Nummer des Signals (130, 143, 129). Ein zweites Signal beendet sofort.
</translation>
    </message>
    <message>
        <source>SOURCE [--out DIR] [--title TEXT] [--no-dedupe] [--previews] [--portable] [--no-portable] [--video-copies] [--wait] [--retry-skipped] [--json] [--open]</source>
        <translation>QUELLE [--out ORDNER] [--title TEXT] [--no-dedupe] [--previews] [--portable] [--no-portable] [--video-copies] [--wait] [--retry-skipped] [--json] [--open]</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Usage: kestova [FOLDER]

Opens the Kestova window. With FOLDER, builds the wall of every photo in it at
once; when Kestova is already open, that window takes the folder.

  --help      show this text
  --version   show the version
  --          end of options: a FOLDER after it may begin with &quot;-&quot;

kestova-cli does the same from a terminal.
</source>
        <translation>Aufruf: kestova [ORDNER]

Öffnet das Fenster von Kestova. Mit ORDNER wird sofort die Fotowand aller Fotos darin
erstellt; ist Kestova schon geöffnet, übernimmt dessen Fenster den Ordner.

  --help      diesen Text zeigen
  --version   die Version zeigen
  --          Ende der Optionen: ein ORDNER danach darf mit „-“ beginnen

kestova-cli tut dasselbe im Terminal.
</translation>
    </message>
    <message>
        <source>kestova: unknown option &quot;%1&quot;. Try kestova --help.</source>
        <extracomment>%1 is the option as typed.</extracomment>
        <translation>kestova: unbekannte Option „%1“. Versuchen Sie kestova --help.</translation>
    </message>
</context>
<context>
    <name>DoneView</name>
    <message>
        <source>Open Kestova</source>
        <translation>Kestova öffnen</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Show which files</source>
        <translation>Zeigen, welche Dateien</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Do the photos that are still to do. The photos done so far are kept.</source>
        <translation>Die noch fehlenden Fotos bearbeiten. Die bisher fertigen Fotos bleiben erhalten.</translation>
    </message>
</context>
<context>
    <name>FailedView</name>
    <message>
        <source>Something went wrong</source>
        <translation>Etwas ist schiefgegangen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Feedback</name>
    <message>
        <source>What&apos;s working, what isn&apos;t, or what would you like Kestova to do next?</source>
        <translation>Was funktioniert, was nicht, oder was soll Kestova als Nächstes können?</translation>
    </message>
    <message>
        <source>Email us at %1</source>
        <translation>Schreiben Sie uns an %1</translation>
    </message>
    <message>
        <source>No email app is set up on this computer, so the address has been copied for you.</source>
        <translation>Auf diesem Computer ist kein E-Mail-Programm eingerichtet, deshalb wurde die Adresse für Sie kopiert.</translation>
    </message>
</context>
<context>
    <name>HelpText</name>
    <message>
        <source>Exit status:</source>
        <translation>Exit-Status:</translation>
    </message>
    <message>
        <source>Example:</source>
        <translation>Beispiel:</translation>
    </message>
    <message>
        <source>Examples:</source>
        <translation>Beispiele:</translation>
    </message>
    <message>
        <source>the window was closed, or the open window took FOLDER</source>
        <translation>das Fenster wurde geschlossen, oder das geöffnete Fenster hat ORDNER übernommen</translation>
    </message>
    <message>
        <source>the command line is wrong</source>
        <translation>die Befehlszeile ist falsch</translation>
    </message>
    <message>
        <source>the run failed; the message says why</source>
        <translation>der Lauf ist fehlgeschlagen; die Meldung sagt, warum</translation>
    </message>
    <message>
        <source>the command line is wrong, or SOURCE is not a folder</source>
        <translation>die Befehlszeile ist falsch, oder QUELLE ist kein Ordner</translation>
    </message>
    <message>
        <source>another Kestova is writing the same wall; nothing was started</source>
        <translation>ein anderes Kestova schreibt dieselbe Fotowand; nichts wurde begonnen</translation>
    </message>
    <message>
        <source>success</source>
        <translation>Erfolg</translation>
    </message>
    <message>
        <source>the command failed; the message says why</source>
        <translation>der Befehl ist fehlgeschlagen; die Meldung sagt, warum</translation>
    </message>
    <message>
        <source>build: another Kestova is writing the same wall</source>
        <translation>build: ein anderes Kestova schreibt dieselbe Fotowand</translation>
    </message>
    <message>
        <source>the list could not be written in full</source>
        <translation>die Liste konnte nicht vollständig geschrieben werden</translation>
    </message>
    <message>
        <source>success, also when there are no walls yet</source>
        <translation>Erfolg, auch wenn es noch keine Fotowände gibt</translation>
    </message>
    <message>
        <source>the wall was written whole</source>
        <translation>die Fotowand wurde vollständig geschrieben</translation>
    </message>
    <message>
        <source>stopped by SIGHUP, as by Ctrl-C</source>
        <translation>durch SIGHUP angehalten, wie mit Strg-C</translation>
    </message>
    <message>
        <source>stopped with Ctrl-C: the photos done so far make a wall that the next
build finishes; while looking for photos, nothing was written</source>
        <translation>mit Strg-C angehalten: die bisher fertigen Fotos ergeben eine Fotowand, die der
nächste Aufruf fertigstellt; während der Suche nach Fotos wurde nichts geschrieben</translation>
    </message>
    <message>
        <source>stopped by SIGTERM, as by Ctrl-C</source>
        <translation>durch SIGTERM angehalten, wie mit Strg-C</translation>
    </message>
    <message>
        <source>build: stopped by SIGHUP</source>
        <translation>build: durch SIGHUP angehalten</translation>
    </message>
    <message>
        <source>build: stopped with Ctrl-C, the photos done so far kept as a wall</source>
        <translation>build: mit Strg-C angehalten, die bisher fertigen Fotos als Fotowand behalten</translation>
    </message>
    <message>
        <source>build: stopped by SIGTERM</source>
        <translation>build: durch SIGTERM angehalten</translation>
    </message>
</context>
<context>
    <name>IdleView</name>
    <message>
        <source>See every photo on a drive or folder in one scrollable wall, sorted by month. Nothing is uploaded, moved or changed.</source>
        <translation>Sehen Sie jedes Foto eines Laufwerks oder Ordners auf einer einzigen Fotowand zum Durchscrollen, nach Monaten sortiert. Nichts wird hochgeladen, verschoben oder verändert.</translation>
    </message>
    <message>
        <source>Choose a Folder or Drive…</source>
        <translation>Ordner oder Laufwerk wählen…</translation>
    </message>
    <message>
        <source>Show duplicate copies once</source>
        <translation>Doppelte Kopien nur einmal zeigen</translation>
    </message>
    <message>
        <source>The same photo saved in several backup folders gets one tile. Matched by file name and size.</source>
        <translation>Dasselbe Foto in mehreren Sicherungsordnern bekommt nur eine Kachel. Erkannt an Dateiname und Größe.</translation>
    </message>
    <message>
        <source>Send feedback or request a feature</source>
        <translation>Rückmeldung geben oder eine Funktion wünschen</translation>
    </message>
    <message>
        <source>Drop it here</source>
        <translation>Hier ablegen</translation>
    </message>
    <message>
        <source>or drag a folder or drive onto this window</source>
        <translation>oder einen Ordner oder ein Laufwerk auf dieses Fenster ziehen</translation>
    </message>
    <message>
        <source>Your walls</source>
        <translation>Ihre Fotowände</translation>
    </message>
    <message>
        <source>Keep a screen-size copy of every photo</source>
        <translation>Eine Kopie jedes Fotos in Bildschirmgröße behalten</translation>
    </message>
    <message>
        <source>The wall then shows every photo sharp on its own, copied to a stick, a NAS or another computer without the photos. It takes more room. A wall made so keeps its copies and adds those of new photos when it is updated.</source>
        <translation>Die Fotowand zeigt dann jedes Foto allein scharf, auch auf einen USB-Stick, ein NAS oder einen anderen Computer ohne die Fotos kopiert. Sie braucht mehr Platz. Eine so erstellte Fotowand behält ihre Kopien und fügt beim Aktualisieren die neuer Fotos hinzu.</translation>
    </message>
    <message>
        <source>Make long videos playable too</source>
        <translation>Auch lange Videos abspielbar machen</translation>
    </message>
    <message>
        <source>Videos the browser cannot play (an iPhone&apos;s HEVC, AVI, MTS) get a playable copy in the wall. Live photos and videos under 30 seconds always do; with this, longer ones do too, which can take as long as they play.</source>
        <translation>Videos, die der Browser nicht abspielen kann (HEVC vom iPhone, AVI, MTS), bekommen eine abspielbare Kopie in der Fotowand. Live Photos und Videos unter 30 Sekunden immer; damit auch längere, was so lange dauern kann, wie sie laufen.</translation>
    </message>
    <message>
        <source>About Kestova</source>
        <translation>Über Kestova</translation>
    </message>
</context>
<context>
    <name>JobError</name>
    <message>
        <source>Couldn&apos;t write “%1”: %2.</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>Couldn&apos;t create the folder “%1”: %2.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Couldn&apos;t create the folder “%1”: a file is in the way.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden: Eine Datei ist im Weg.</translation>
    </message>
    <message>
        <source>“%1” is a link to another place. Kestova writes a wall only into a real folder, so nothing was written.</source>
        <translation>„%1“ ist eine Verknüpfung an einen anderen Ort. Kestova schreibt eine Fotowand nur in einen echten Ordner, deshalb wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>The gallery template is missing from the app. Please re-download Kestova.</source>
        <translation>Der App fehlt die Vorlage für die Galerie. Bitte laden Sie Kestova erneut herunter.</translation>
    </message>
    <message>
        <source>Couldn&apos;t read the folder “%1”. Check that it may be opened.</source>
        <translation>Der Ordner „%1“ konnte nicht gelesen werden. Prüfen Sie, ob er geöffnet werden darf.</translation>
    </message>
    <message>
        <source>“%1” already holds an index.html or manifest.js that is not a Kestova wall. Kestova writes a wall only where it replaces or hides nothing of yours, so nothing was written; choose another folder for the wall.</source>
        <translation>„%1“ enthält bereits eine index.html oder manifest.js, die keine Fotowand von Kestova ist. Kestova schreibt eine Fotowand nur dorthin, wo sie nichts von Ihnen ersetzt oder verdeckt, deshalb wurde nichts geschrieben; wählen Sie einen anderen Ordner für die Fotowand.</translation>
    </message>
    <message>
        <source>“%1” holds photos. Kestova writes a wall only where it replaces or hides nothing of yours, so nothing was written; choose another folder for the wall.</source>
        <translation>„%1“ enthält Fotos. Kestova schreibt eine Fotowand nur dorthin, wo sie nichts von Ihnen ersetzt oder verdeckt, deshalb wurde nichts geschrieben; wählen Sie einen anderen Ordner für die Fotowand.</translation>
    </message>
    <message>
        <source>Another Kestova (process %1) is writing the wall in “%2”. Try again when it has finished.</source>
        <translation>Ein anderes Kestova (Prozess %1) schreibt gerade die Fotowand in „%2“. Versuchen Sie es erneut, wenn es fertig ist.</translation>
    </message>
    <message>
        <source>“%1” held %2 photos last time, but none are there now. Is the drive connected? The wall was left as it was.</source>
        <translation>„%1“ enthielt beim letzten Mal Fotos (%2), jetzt aber keine. Ist das Laufwerk angeschlossen? Die Fotowand blieb, wie sie war.</translation>
    </message>
    <message>
        <source>“%1” is not the lock file Kestova makes, so it cannot keep a second Kestova from writing the same wall. Nothing was written; remove it and try again.</source>
        <translation>„%1“ ist nicht die Sperrdatei, die Kestova anlegt, und kann deshalb nicht verhindern, dass ein zweites Kestova dieselbe Fotowand schreibt. Es wurde nichts geschrieben; entfernen Sie es und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Couldn&apos;t write to the wall in “%1”: %2. Kestova stopped and kept the photos done so far; update the wall once this is put right.</source>
        <translation>In die Fotowand in „%1“ konnte nicht geschrieben werden: %2. Kestova hat angehalten und die bisher fertigen Fotos behalten; aktualisieren Sie die Fotowand, sobald das behoben ist.</translation>
    </message>
    <message>
        <source>The system ran out of resources while making thumbnails: %1. Kestova stopped and kept the photos done so far; update the wall once more is free.</source>
        <translation>Dem System gingen beim Erstellen der Miniaturen die Ressourcen aus: %1. Kestova hat angehalten und die bisher fertigen Fotos behalten; aktualisieren Sie die Fotowand, sobald wieder mehr frei ist.</translation>
    </message>
    <message>
        <source>The photo decoders are missing from the app (%1). Please re-download Kestova.</source>
        <translation>Der App fehlen die Decoder für Fotos (%1). Bitte laden Sie Kestova erneut herunter.</translation>
    </message>
</context>
<context>
    <name>Model</name>
    <message>
        <source>Build Kestova</source>
        <translation>Kestova erstellen</translation>
    </message>
    <message>
        <source>Choose a drive or folder. Kestova finds every photo inside it, including in subfolders.</source>
        <translation>Wählen Sie ein Laufwerk oder einen Ordner. Kestova findet jedes Foto darin, auch in Unterordnern.</translation>
    </message>
    <message>
        <source>Kestova works on folders and drives. Choose a folder rather than a single file.</source>
        <translation>Kestova arbeitet mit Ordnern und Laufwerken. Wählen Sie einen Ordner statt einer einzelnen Datei.</translation>
    </message>
    <message>
        <source>The wall could not be built.</source>
        <translation>Die Fotowand konnte nicht erstellt werden.</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Wird angehalten…</translation>
    </message>
    <message>
        <source>That gallery isn&apos;t there anymore. If it was on an external drive, plug the drive in and try again, or choose Update to rebuild it.</source>
        <translation>Diese Galerie ist nicht mehr da. Lag sie auf einem externen Laufwerk, schließen Sie das Laufwerk an und versuchen Sie es erneut, oder wählen Sie „Aktualisieren“, um sie neu zu erstellen.</translation>
    </message>
    <message>
        <source>Can&apos;t find %1. If it&apos;s an external drive, plug it in and try again.</source>
        <translation>%1 wurde nicht gefunden. Ist es ein externes Laufwerk, schließen Sie es an und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>%1 doesn&apos;t exist. Check the name, or connect the drive it is on.</source>
        <translation>%1 gibt es nicht. Prüfen Sie den Namen, oder schließen Sie das Laufwerk an, auf dem es liegt.</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>Show Kestova</source>
        <translation>Kestova zeigen</translation>
    </message>
</context>
<context>
    <name>ProgramVersion</name>
    <message>
        <source>%1 (revision %2)</source>
        <extracomment>%1 is the program and its version (&quot;kestova-cli 0.1.0&quot;), %2 the commit it was built from.</extracomment>
        <translation>%1 (Revision %2)</translation>
    </message>
</context>
<context>
    <name>ProgressText</name>
    <message>
        <source>Looking for photos…</source>
        <translation>Fotos werden gesucht…</translation>
    </message>
    <message>
        <source>%1 found so far</source>
        <translation>bisher %1 gefunden</translation>
    </message>
    <message>
        <source>%1 of %2 · %3 left</source>
        <comment>photos done, photos in all, time left</comment>
        <translation>%1 von %2 · noch %3</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <comment>photos done, photos in all</comment>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Making thumbnails</source>
        <translation>Vorschaubilder werden erstellt</translation>
    </message>
    <message>
        <source>Building your wall…</source>
        <translation>Ihre Fotowand wird erstellt…</translation>
    </message>
    <message>
        <source>Process %1 is writing this wall.</source>
        <translation>Prozess %1 schreibt gerade diese Fotowand.</translation>
    </message>
    <message>
        <source>Another Kestova is writing this wall.</source>
        <translation>Ein anderes Kestova schreibt gerade diese Fotowand.</translation>
    </message>
    <message>
        <source>Waiting for the other Kestova…</source>
        <translation>Warten auf das andere Kestova…</translation>
    </message>
    <message>
        <source>Making playable videos</source>
        <translation>Abspielbare Videos werden erstellt</translation>
    </message>
</context>
<context>
    <name>Recent</name>
    <message>
        <source>%1 and %2</source>
        <comment>photos and videos</comment>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>%1 · updated %2</source>
        <comment>what the wall holds, when it was updated</comment>
        <translation>%1 · %2 aktualisiert</translation>
    </message>
    <message numerus="yes">
        <source>%1 photos</source>
        <comment>on a wall</comment>
        <translation>
            <numerusform>%1 Foto</numerusform>
            <numerusform>%1 Fotos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos</source>
        <comment>on a wall</comment>
        <translation>
            <numerusform>%1 Video</numerusform>
            <numerusform>%1 Videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Unfinished: %1 photos still to do</source>
        <comment>a wall that a stop left unfinished</comment>
        <translation>
            <numerusform>Unvollständig: %1 Foto fehlt noch</numerusform>
            <numerusform>Unvollständig: %1 Fotos fehlen noch</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecentRow</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Add photos that are new since last time. Only new photos are processed.</source>
        <translation>Fotos hinzufügen, die seit dem letzten Mal neu sind. Nur neue Fotos werden verarbeitet.</translation>
    </message>
    <message>
        <source>Remove from this list. The gallery files stay where they are.</source>
        <translation>Aus dieser Liste entfernen. Die Dateien der Galerie bleiben, wo sie sind.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
</context>
<context>
    <name>ResultText</name>
    <message>
        <source>No photos found</source>
        <translation>Keine Fotos gefunden</translation>
    </message>
    <message>
        <source>Nothing in %1 looked like a photo (JPEG, HEIC, PNG, RAW and so on).</source>
        <translation>Nichts in %1 sah nach einem Foto aus (JPEG, HEIC, PNG, RAW und so weiter).</translation>
    </message>
    <message numerus="yes">
        <source>Stopped early: %1 photos so far</source>
        <translation>
            <numerusform>Vorzeitig angehalten: bisher %1 Foto</numerusform>
            <numerusform>Vorzeitig angehalten: bisher %1 Fotos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos ready</source>
        <translation>
            <numerusform>%1 Foto bereit</numerusform>
            <numerusform>%1 Fotos bereit</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 duplicate copies shown once</source>
        <translation>
            <numerusform>%1 doppelte Kopie nur einmal gezeigt</numerusform>
            <numerusform>%1 doppelte Kopien nur einmal gezeigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 have no date and are grouped at the end</source>
        <comment>photos, videos or both</comment>
        <translation>
            <numerusform>%1 hat kein Datum und steht am Ende</numerusform>
            <numerusform>%1 haben kein Datum und stehen am Ende</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos have no date and are grouped at the end</source>
        <translation>
            <numerusform>%1 Foto hat kein Datum und steht am Ende</numerusform>
            <numerusform>%1 Fotos haben kein Datum und stehen am Ende</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 files couldn&apos;t be read and were skipped</source>
        <translation>
            <numerusform>%1 Datei war nicht lesbar und wurde übersprungen</numerusform>
            <numerusform>%1 Dateien waren nicht lesbar und wurden übersprungen</numerusform>
        </translation>
    </message>
    <message>
        <source>The wall is saved at %1. It opens in your web browser, and you can open it any time, even without this app.</source>
        <translation>Die Fotowand ist unter %1 gespeichert. Sie öffnet sich in Ihrem Webbrowser, und Sie können sie jederzeit öffnen, auch ohne diese App.</translation>
    </message>
    <message>
        <source>“%1”</source>
        <comment>a file or folder name in quotes</comment>
        <translation>„%1“</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the names of a list</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <comment>the first names of a list, then how many more</comment>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message numerus="yes">
        <source>The folders %1 couldn&apos;t be opened; their photos from earlier runs stay on the wall</source>
        <translation>
            <numerusform>Der Ordner %1 ließ sich nicht öffnen; seine Fotos aus früheren Läufen bleiben auf der Fotowand</numerusform>
            <numerusform>Die Ordner %1 ließen sich nicht öffnen; ihre Fotos aus früheren Läufen bleiben auf der Fotowand</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Passed over because the decoder crashed on them before: %1. Kestova tries again when it or its image libraries are updated</source>
        <translation>
            <numerusform>Übergangen, weil der Decoder schon einmal daran abgestürzt ist: %1. Kestova versucht es erneut, wenn Kestova oder seine Bildbibliotheken aktualisiert werden</numerusform>
            <numerusform>Übergangen, weil der Decoder schon einmal daran abgestürzt ist: %1. Kestova versucht es erneut, wenn Kestova oder seine Bildbibliotheken aktualisiert werden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos changed while being read and are left for the next update</source>
        <translation>
            <numerusform>%1 Foto hat sich beim Lesen geändert und bleibt für die nächste Aktualisierung</numerusform>
            <numerusform>%1 Fotos haben sich beim Lesen geändert und bleiben für die nächste Aktualisierung</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 folders or photos nested deeper than the system allows were left out</source>
        <translation>
            <numerusform>%1 Ordner oder Foto, tiefer verschachtelt, als das System erlaubt, wurde ausgelassen</numerusform>
            <numerusform>%1 Ordner oder Fotos, tiefer verschachtelt, als das System erlaubt, wurden ausgelassen</numerusform>
        </translation>
    </message>
    <message>
        <source>Another Kestova (process %1) is writing the wall in %2 right now. Try again when it has finished.</source>
        <translation>Ein anderes Kestova (Prozess %1) schreibt gerade die Fotowand in %2. Versuchen Sie es erneut, wenn es fertig ist.</translation>
    </message>
    <message>
        <source>Another Kestova is writing the wall in %1 right now. Try again when it has finished.</source>
        <translation>Ein anderes Kestova schreibt gerade die Fotowand in %1. Versuchen Sie es erneut, wenn es fertig ist.</translation>
    </message>
    <message numerus="yes">
        <source>%1 held %2 photos last time, but Kestova can&apos;t find any there now. Is the drive connected? The wall was left as it was.</source>
        <translation>
            <numerusform>%1 enthielt beim letzten Mal %2 Foto, aber Kestova findet dort jetzt keines. Ist das Laufwerk angeschlossen? Die Fotowand blieb, wie sie war.</numerusform>
            <numerusform>%1 enthielt beim letzten Mal %2 Fotos, aber Kestova findet dort jetzt keines. Ist das Laufwerk angeschlossen? Die Fotowand blieb, wie sie war.</numerusform>
        </translation>
    </message>
    <message>
        <source>This file couldn&apos;t be read:</source>
        <translation>Diese Datei war nicht lesbar:</translation>
    </message>
    <message>
        <source>These files couldn&apos;t be read:</source>
        <translation>Diese Dateien waren nicht lesbar:</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <extracomment>The rest of a list of files, after the first ten names; %1 is a count.</extracomment>
        <translation>und %1 weitere</translation>
    </message>
    <message numerus="yes">
        <source>%1 videos</source>
        <translation>
            <numerusform>%1 Video</numerusform>
            <numerusform>%1 Videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos and %2</source>
        <comment>the photos, then the videos</comment>
        <translation>
            <numerusform>%1 Foto und %2</numerusform>
            <numerusform>%1 Fotos und %2</numerusform>
        </translation>
    </message>
    <message>
        <source>Stopped early: %1 so far</source>
        <comment>what the wall holds</comment>
        <translation>Vorzeitig angehalten: bisher %1</translation>
    </message>
    <message>
        <source>%1 ready</source>
        <comment>what the wall holds</comment>
        <translation>%1 bereit</translation>
    </message>
    <message numerus="yes">
        <source>%1 photos are still to do. The work so far is saved: choose Update to finish the wall.</source>
        <translation>
            <numerusform>%1 Foto fehlt noch. Die bisherige Arbeit ist gespeichert: Wählen Sie „Aktualisieren“, um die Fotowand fertigzustellen.</numerusform>
            <numerusform>%1 Fotos fehlen noch. Die bisherige Arbeit ist gespeichert: Wählen Sie „Aktualisieren“, um die Fotowand fertigzustellen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos are still to do. The work so far is saved: run the same build again to finish the wall.</source>
        <translation>
            <numerusform>%1 Foto fehlt noch. Die bisherige Arbeit ist gespeichert: Führen Sie denselben Befehl noch einmal aus, um die Fotowand fertigzustellen.</numerusform>
            <numerusform>%1 Fotos fehlen noch. Die bisherige Arbeit ist gespeichert: Führen Sie denselben Befehl noch einmal aus, um die Fotowand fertigzustellen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 raw and JPEG pairs shown once</source>
        <translation>
            <numerusform>%1 Raw-JPEG-Paar einmal gezeigt</numerusform>
            <numerusform>%1 Raw-JPEG-Paare je einmal gezeigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Left for the next update because they took too long to read: %1</source>
        <translation>
            <numerusform>Für die nächste Aktualisierung zurückgestellt, weil das Lesen zu lange dauerte: %1</numerusform>
            <numerusform>Für die nächste Aktualisierung zurückgestellt, weil das Lesen zu lange dauerte: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>damaged, or not a kind of photo Kestova reads</source>
        <translation>beschädigt oder kein Fotoformat, das Kestova liest</translation>
    </message>
    <message>
        <source>too large</source>
        <translation>zu groß</translation>
    </message>
    <message>
        <source>not a video</source>
        <translation>kein Video</translation>
    </message>
    <message>
        <source>its thumbnail couldn&apos;t be saved in the wall</source>
        <translation>die Miniatur konnte nicht in der Fotowand gespeichert werden</translation>
    </message>
    <message>
        <source>the decoder crashed on it</source>
        <translation>der Decoder ist daran abgestürzt</translation>
    </message>
    <message>
        <source>passed over: the decoder crashed on it before</source>
        <translation>übergangen: der Decoder ist früher daran abgestürzt</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <comment>a file name, then why it couldn&apos;t be read</comment>
        <extracomment>A file that couldn&apos;t be read, then why: “DCIM/IMG_1.JPG (too large)”.</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source>%1 videos made playable in the browser</source>
        <translation>
            <numerusform>%1 Video im Browser abspielbar gemacht</numerusform>
            <numerusform>%1 Videos im Browser abspielbar gemacht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos couldn&apos;t be made playable; they play where the browser plays the original</source>
        <translation>
            <numerusform>%1 Video konnte nicht abspielbar gemacht werden; es läuft, wo der Browser das Original abspielt</numerusform>
            <numerusform>%1 Videos konnten nicht abspielbar gemacht werden; sie laufen, wo der Browser das Original abspielt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos are still to be made playable; the next build makes them</source>
        <translation>
            <numerusform>%1 Video muss noch abspielbar gemacht werden; der nächste Lauf erledigt das</numerusform>
            <numerusform>%1 Videos müssen noch abspielbar gemacht werden; der nächste Lauf erledigt das</numerusform>
        </translation>
    </message>
    <message>
        <source>its copy couldn&apos;t be saved in the wall</source>
        <translation>seine Kopie konnte nicht in der Fotowand gespeichert werden</translation>
    </message>
    <message>
        <source>the encoder crashed on it</source>
        <translation>der Encoder ist daran abgestürzt</translation>
    </message>
    <message>
        <source>it could not be decoded or encoded</source>
        <translation>es konnte nicht dekodiert oder kodiert werden</translation>
    </message>
    <message>
        <source>%1 (%2 — %3)</source>
        <comment>a file name, why it couldn&apos;t be read, then the decoder&apos;s message</comment>
        <extracomment>A file that couldn&apos;t be read, why, and what the decoder said in its own words (left untranslated): “IMG_1.jpg (damaged, … — VipsJpeg: Premature end of JPEG file)”.</extracomment>
        <translation>%1 (%2 — %3)</translation>
    </message>
</context>
<context>
    <name>RunSession</name>
    <message>
        <source>Building a wall of photos</source>
        <translation>Eine Fotowand wird erstellt</translation>
    </message>
    <message>
        <source>Something went wrong</source>
        <translation>Etwas ist schiefgegangen</translation>
    </message>
</context>
<context>
    <name>RunningView</name>
    <message>
        <source>The first run on a big drive can take a while. You can stop at any time, and the next run picks up where this one left off.</source>
        <translation>Der erste Lauf auf einem großen Laufwerk kann eine Weile dauern. Sie können jederzeit anhalten, und der nächste Lauf macht dort weiter, wo dieser aufgehört hat.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>No space left on device</source>
        <translation>Kein Platz mehr auf dem Gerät</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Keine Berechtigung</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>Vorgang nicht zulässig</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>Dateisystem ist schreibgeschützt</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Speicherkontingent überschritten</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Ein-/Ausgabefehler</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>Datei oder Ordner nicht vorhanden</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>Kein Ordner</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Ist ein Ordner</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>Datei existiert bereits</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>Dateiname zu lang</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Zu viele Ebenen symbolischer Verknüpfungen</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>Gerät oder Ressource belegt</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>Nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Too many open files in system</source>
        <translation>Zu viele offene Dateien im System</translation>
    </message>
</context>
<context>
    <name>TextFormat</name>
    <message>
        <source>under a minute</source>
        <translation>weniger als eine Minute</translation>
    </message>
    <message>
        <source>about %1</source>
        <comment>a time left, such as 5 minutes</comment>
        <translation>etwa %1</translation>
    </message>
</context>
<context>
    <name>UnreadableDialog</name>
    <message>
        <source>Files That Couldn&apos;t Be Read</source>
        <translation>Nicht lesbare Dateien</translation>
    </message>
    <message>
        <source>Copy List</source>
        <translation>Liste kopieren</translation>
    </message>
</context>
</TS>
