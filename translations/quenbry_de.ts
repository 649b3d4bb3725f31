<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>BrowserPreview</name>
    <message>
        <source>You must save your file in order to view it.</source>
        <translation>Sie müssen Ihre Datei speichern, um sie anzusehen.</translation>
    </message>
    <message>
        <source>Preview Error</source>
        <translation>Vorschaufehler</translation>
    </message>
    <message>
        <source>Preview in Browser</source>
        <translation>Vorschau im Browser</translation>
    </message>
    <message>
        <source>The Following File is about to be previewed :</source>
        <translation>Die folgende Datei wird gleich in der Vorschau gezeigt:</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1

--register-owner NAME ORGANISATION
  Records the owner&apos;s name and organisation that the splash shows, then exits.</source>
        <translation>%1

--register-owner NAME ORGANISATION
  Speichert den Namen und die Organisation des Besitzers, die der Startbildschirm zeigt, und endet.</translation>
    </message>
    <message>
        <source>The page to open.</source>
        <translation>Die zu öffnende Seite.</translation>
    </message>
    <message>
        <source>[FILE]</source>
        <translation>[DATEI]</translation>
    </message>
    <message>
        <source>Give one file at most.</source>
        <translation>Geben Sie höchstens eine Datei an.</translation>
    </message>
</context>
<context>
    <name>CommandTable</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>New File</source>
        <translation>Neue Datei</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>Kodierung</translation>
    </message>
    <message>
        <source>Western (Windows-1252)</source>
        <translation>Westeuropäisch (Windows-1252)</translation>
    </message>
    <message>
        <source>Unicode (UTF-8)</source>
        <translation>Unicode (UTF-8)</translation>
    </message>
    <message>
        <source>Unicode (UTF-8 with BOM)</source>
        <translation>Unicode (UTF-8 mit BOM)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16 LE)</source>
        <translation>Unicode (UTF-16 LE)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16 BE)</source>
        <translation>Unicode (UTF-16 BE)</translation>
    </message>
    <message>
        <source>Reopen with Encoding</source>
        <translation>Mit Kodierung neu öffnen</translation>
    </message>
    <message>
        <source>FTP Upload</source>
        <translation>FTP-Upload</translation>
    </message>
    <message>
        <source>Quick Preview</source>
        <translation>Schnellvorschau</translation>
    </message>
    <message>
        <source>Preview in browser</source>
        <translation>Vorschau im Browser</translation>
    </message>
    <message>
        <source>Preview in Browser</source>
        <translation>Vorschau im Browser</translation>
    </message>
    <message>
        <source>Load Remote Content in Preview</source>
        <translation>Entfernte Inhalte in der Vorschau laden</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Print Source Code</source>
        <translation>Quelltext drucken</translation>
    </message>
    <message>
        <source>Recent Pages</source>
        <translation>Zuletzt geöffnete Seiten</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>Skin</source>
        <translation>Oberfläche</translation>
    </message>
    <message>
        <source>Find...</source>
        <translation>Suchen...</translation>
    </message>
    <message>
        <source>Find Next</source>
        <translation>Weitersuchen</translation>
    </message>
    <message>
        <source>Find Previous</source>
        <translation>Rückwärts suchen</translation>
    </message>
    <message>
        <source>Replace...</source>
        <translation>Ersetzen...</translation>
    </message>
    <message>
        <source>Go to Line...</source>
        <translation>Gehe zu Zeile...</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>New Icon</source>
        <translation>Symbol „Neu“</translation>
    </message>
    <message>
        <source>Save Icon</source>
        <translation>Symbol „Speichern“</translation>
    </message>
    <message>
        <source>Open Icon</source>
        <translation>Symbol „Öffnen“</translation>
    </message>
    <message>
        <source>Print Icon</source>
        <translation>Symbol „Drucken“</translation>
    </message>
    <message>
        <source>Instant Preview</source>
        <translation>Sofortvorschau</translation>
    </message>
    <message>
        <source>Quick Preview Icon</source>
        <translation>Symbol „Schnellvorschau“</translation>
    </message>
    <message>
        <source>Preview In Browser Icon</source>
        <translation>Symbol „Vorschau im Browser“</translation>
    </message>
    <message>
        <source>FTP Upload Icon</source>
        <translation>Symbol „FTP-Upload“</translation>
    </message>
    <message>
        <source>Cut Icon</source>
        <translation>Symbol „Ausschneiden“</translation>
    </message>
    <message>
        <source>Copy Icon</source>
        <translation>Symbol „Kopieren“</translation>
    </message>
    <message>
        <source>Paste Icon</source>
        <translation>Symbol „Einfügen“</translation>
    </message>
    <message>
        <source>Undo Icon</source>
        <translation>Symbol „Rückgängig“</translation>
    </message>
    <message>
        <source>Redo Icon</source>
        <translation>Symbol „Wiederholen“</translation>
    </message>
    <message>
        <source>Line Numbers</source>
        <translation>Zeilennummern</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Tags</translation>
    </message>
    <message>
        <source>Marquee</source>
        <translation>Laufschrift</translation>
    </message>
    <message>
        <source>Line Break</source>
        <translation>Zeilenumbruch</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Fett</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Schriftart</translation>
    </message>
    <message>
        <source>Horizontal Rule</source>
        <translation>Horizontale Linie</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
<context>
    <name>Document</name>
    <message>
        <source>HTML Pages|*.html</source>
        <translation>HTML-Seiten|*.html</translation>
    </message>
    <message>
        <source>Do you want to save your file?</source>
        <translation>Möchten Sie Ihre Datei speichern?</translation>
    </message>
    <message>
        <source>Do you want to overwrite the current file with this version?</source>
        <translation>Möchten Sie die aktuelle Datei mit dieser Fassung überschreiben?</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>The file %1 has been changed on disk since it was opened. Overwrite it?</source>
        <translation>Die Datei %1 wurde auf dem Datenträger geändert, seit sie geöffnet wurde. Überschreiben?</translation>
    </message>
    <message>
        <source>The file is read-only. Save it anyway?</source>
        <translation>Die Datei ist schreibgeschützt. Trotzdem speichern?</translation>
    </message>
    <message>
        <source>The file %1 has been changed on disk by another program. Reload it?</source>
        <translation>Die Datei %1 wurde auf dem Datenträger von einem anderen Programm geändert. Neu laden?</translation>
    </message>
    <message>
        <source>

The changes you made since it was opened or saved will be lost.</source>
        <translation>

Ihre Änderungen seit dem Öffnen oder Speichern gehen dabei verloren.</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>%1 (Untitled)</source>
        <translation>%1 (Unbenannt)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>The edit was not made.

It would make the page %1 bytes long, more than the %2 the editor can open again.</source>
        <translation>Die Änderung wurde nicht vorgenommen.

Die Seite würde %1 Bytes lang, mehr als die %2, die der Editor wieder öffnen kann.</translation>
    </message>
</context>
<context>
    <name>DocumentFile</name>
    <message>
        <source>The file &quot;%1&quot; could not be opened.

%2.</source>
        <translation>Die Datei „%1“ konnte nicht geöffnet werden.

%2.</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be saved.

%2.</source>
        <translation>Die Datei „%1“ konnte nicht gespeichert werden.

%2.</translation>
    </message>
    <message>
        <source>It is a folder, not a file</source>
        <translation>Sie ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>It is a named pipe, not a file</source>
        <translation>Sie ist eine benannte Pipe, keine Datei</translation>
    </message>
    <message>
        <source>It is a socket, not a file</source>
        <translation>Sie ist ein Socket, keine Datei</translation>
    </message>
    <message>
        <source>It is a device, not a file</source>
        <translation>Sie ist ein Gerät, keine Datei</translation>
    </message>
    <message>
        <source>It holds %1, more than the %2 the editor can hold</source>
        <translation>Sie enthält %1, mehr als die %2, die der Editor fassen kann</translation>
    </message>
    <message>
        <source>%1. Its previous version is kept in %2</source>
        <translation>%1. Ihre vorige Fassung ist in %2 aufbewahrt</translation>
    </message>
    <message>
        <source>The byte at offset %1 is not valid %2</source>
        <translation>Das Byte an Position %1 ist kein gültiges %2</translation>
    </message>
    <message>
        <source>It would hold %1 bytes, more than the %2 the editor can open again</source>
        <translation>Sie würde %1 Bytes enthalten, mehr als die %2, die der Editor wieder öffnen kann</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Zu viele Ebenen symbolischer Verknüpfungen</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; does not exist</source>
        <translation>Der Ordner „%1“ existiert nicht</translation>
    </message>
</context>
<context>
    <name>GoToLineDialog</name>
    <message>
        <source>Go to Line</source>
        <translation>Gehe zu Zeile</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>The unsaved text cannot be kept in %1: %2. Editing goes on; save the page to keep your changes.</source>
        <translation>Der ungespeicherte Text kann nicht in %1 aufbewahrt werden: %2. Sie können weiter bearbeiten; speichern Sie die Seite, um Ihre Änderungen zu behalten.</translation>
    </message>
    <message>
        <source>%1 could not be deleted.

%2.</source>
        <translation>%1 konnte nicht gelöscht werden.

%2.</translation>
    </message>
</context>
<context>
    <name>LinePlace</name>
    <message>
        <source>Line (1 to %1), or line:column:</source>
        <translation>Zeile (1 bis %1) oder Zeile:Spalte:</translation>
    </message>
    <message>
        <source>Type a line number from 1 to %1, or a line and a column as in 12:5.</source>
        <translation>Geben Sie eine Zeilennummer von 1 bis %1 ein oder Zeile und Spalte wie in 12:5.</translation>
    </message>
    <message>
        <source>There is no line %1: the text has lines 1 to %2.</source>
        <translation>Es gibt keine Zeile %1: Der Text hat die Zeilen 1 bis %2.</translation>
    </message>
    <message>
        <source>Line %1 has columns 1 to %2.</source>
        <translation>Zeile %1 hat die Spalten 1 bis %2.</translation>
    </message>
</context>
<context>
    <name>OwnerSettings</name>
    <message>
        <source>Error in modReadRegSZ</source>
        <translation>Fehler in modReadRegSZ</translation>
    </message>
</context>
<context>
    <name>PreviewFile</name>
    <message>
        <source>the folder is a symbolic link</source>
        <translation>der Ordner ist eine symbolische Verknüpfung</translation>
    </message>
    <message>
        <source>the folder belongs to another user</source>
        <translation>der Ordner gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>the folder&apos;s permissions are not 0700</source>
        <translation>die Rechte des Ordners sind nicht 0700</translation>
    </message>
    <message>
        <source>there is no private runtime folder</source>
        <translation>es gibt keinen privaten Laufzeitordner</translation>
    </message>
</context>
<context>
    <name>SaveBackup</name>
    <message>
        <source>The folder belongs to another user</source>
        <translation>Der Ordner gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>Its previous version could not be copied to %1 first: %2</source>
        <translation>Ihre vorige Fassung konnte nicht zuerst nach %1 kopiert werden: %2</translation>
    </message>
    <message>
        <source>The previous version could not be written back to %1.

%2. It stays in %3.</source>
        <translation>Die vorige Fassung konnte nicht nach %1 zurückgeschrieben werden.

%2. Sie bleibt in %3.</translation>
    </message>
    <message>
        <source>Another editor is using it</source>
        <translation>Ein anderer Editor verwendet sie</translation>
    </message>
    <message>
        <source>The backup has changed since it was found</source>
        <translation>Die Sicherung hat sich geändert, seit sie gefunden wurde</translation>
    </message>
    <message>
        <source>It is no longer a regular file</source>
        <translation>Sie ist keine gewöhnliche Datei mehr</translation>
    </message>
    <message>
        <source>%1 could not be deleted.

%2.</source>
        <translation>%1 konnte nicht gelöscht werden.

%2.</translation>
    </message>
</context>
<context>
    <name>SearchPattern</name>
    <message>
        <source>%1 (at %2)</source>
        <translation>%1 (an Position %2)</translation>
    </message>
    <message>
        <source>The replacement uses group %1; the expression has none</source>
        <translation>Die Ersetzung verwendet Gruppe %1; der Ausdruck hat keine</translation>
    </message>
    <message>
        <source>The replacement uses group %1; the expression has %2</source>
        <translation>Die Ersetzung verwendet Gruppe %1; der Ausdruck hat %2</translation>
    </message>
</context>
<context>
    <name>SplashPicture</name>
    <message>
        <source>HTML Editor</source>
        <translation>HTML-Editor</translation>
    </message>
    <message>
        <source>EDITION %1</source>
        <translation>AUSGABE %1</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>How the lines end</source>
        <translation>Wie die Zeilen enden</translation>
    </message>
    <message>
        <source>The file&apos;s encoding</source>
        <translation>Die Kodierung der Datei</translation>
    </message>
    <message>
        <source>Mixed</source>
        <translation>Gemischt</translation>
    </message>
    <message>
        <source>UTF-8 with BOM</source>
        <translation>UTF-8 mit BOM</translation>
    </message>
    <message>
        <source>Ln %1, Col %2</source>
        <translation>Z %1, Sp %2</translation>
    </message>
    <message>
        <source>%1 selected</source>
        <translation>%1 ausgewählt</translation>
    </message>
</context>
<context>
    <name>SystemInfo</name>
    <message>
        <source>System Information Is Unavailable At This Time</source>
        <translation>Die Systeminformationen sind zurzeit nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>WebEngine</name>
    <message>
        <source>sandbox off (running as root)</source>
        <translation>Sandbox aus (läuft als root)</translation>
    </message>
    <message>
        <source>sandbox off</source>
        <translation>Sandbox aus</translation>
    </message>
</context>
<context>
    <name>WebEnginePageView</name>
    <message>
        <source>The page used more than %1 MiB of memory and was stopped.</source>
        <translation>Die Seite hat mehr als %1 MiB Speicher belegt und wurde angehalten.</translation>
    </message>
    <message>
        <source>The page&apos;s scripts ran for %1 seconds without a pause and were stopped.</source>
        <translation>Die Skripte der Seite liefen %1 Sekunden ohne Pause und wurden angehalten.</translation>
    </message>
    <message>
        <source>The page crashed the preview (code %1); it may have run out of memory.</source>
        <translation>Die Seite hat die Vorschau abstürzen lassen (Code %1); vielleicht war der Speicher erschöpft.</translation>
    </message>
    <message>
        <source>The page&apos;s process ended (code %1).</source>
        <translation>Der Prozess der Seite wurde beendet (Code %1).</translation>
    </message>
</context>
<context>
    <name>print</name>
    <message>
        <source>Printing page %1 of %2…</source>
        <translation>Seite %1 von %2 wird gedruckt…</translation>
    </message>
    <message>
        <source>Preparing the pages…</source>
        <translation>Die Seiten werden vorbereitet…</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
</context>
<context>
    <name>quenbry::AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>App Description</source>
        <translation>Programmbeschreibung</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;System Info...</source>
        <translation>&amp;Systeminfo...</translation>
    </message>
    <message>
        <source>About </source>
        <translation>Über </translation>
    </message>
</context>
<context>
    <name>quenbry::FindBar</name>
    <message>
        <source>Match case</source>
        <translation>Groß-/Kleinschreibung</translation>
    </message>
    <message>
        <source>Whole words</source>
        <translation>Ganze Wörter</translation>
    </message>
    <message>
        <source>Regular expression</source>
        <translation>Regulärer Ausdruck</translation>
    </message>
    <message>
        <source>Find Previous (Shift+Enter, Shift+F3)</source>
        <translation>Rückwärts suchen (Umschalt+Eingabe, Umschalt+F3)</translation>
    </message>
    <message>
        <source>Find Next (Enter, F3)</source>
        <translation>Weitersuchen (Eingabe, F3)</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>Replace this match and go to the next</source>
        <translation>Diesen Treffer ersetzen und zum nächsten gehen</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>A&amp;lle ersetzen</translation>
    </message>
    <message>
        <source>Replace every match, or every one in a selection of several lines, as one change</source>
        <translation>Jeden Treffer ersetzen, oder jeden in einer Auswahl über mehrere Zeilen, als eine Änderung</translation>
    </message>
    <message>
        <source>Close (Escape)</source>
        <translation>Schließen (Esc)</translation>
    </message>
    <message>
        <source>Fi&amp;nd:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>Re&amp;place:</source>
        <translation>Ersetzen dur&amp;ch:</translation>
    </message>
</context>
<context>
    <name>quenbry::Finder</name>
    <message>
        <source>wrapped to the top</source>
        <translation>oben fortgesetzt</translation>
    </message>
    <message>
        <source>wrapped to the bottom</source>
        <translation>unten fortgesetzt</translation>
    </message>
    <message>
        <source>Replaced 1 match</source>
        <translation>1 Treffer ersetzt</translation>
    </message>
    <message>
        <source>Replaced %1 matches</source>
        <translation>%1 Treffer ersetzt</translation>
    </message>
    <message>
        <source>Nothing was replaced: the text would grow past %1 characters</source>
        <translation>Nichts wurde ersetzt: Der Text würde länger als %1 Zeichen</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Nicht gefunden</translation>
    </message>
    <message>
        <source>Counting matches…</source>
        <translation>Treffer werden gezählt…</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>1 match</source>
        <translation>1 Treffer</translation>
    </message>
    <message>
        <source>%1 matches</source>
        <translation>%1 Treffer</translation>
    </message>
</context>
<context>
    <name>quenbry::InstantPreview</name>
    <message>
        <source>Preview: %1</source>
        <translation>Vorschau: %1</translation>
    </message>
    <message>
        <source> (off: %1 is not a private folder of yours)</source>
        <translation> (aus: %1 ist kein privater Ordner von Ihnen)</translation>
    </message>
    <message>
        <source> (not up to date: the preview file cannot be written)</source>
        <translation> (nicht aktuell: Die Vorschaudatei kann nicht geschrieben werden)</translation>
    </message>
    <message>
        <source>Remote content blocked</source>
        <translation>Entfernte Inhalte blockiert</translation>
    </message>
</context>
<context>
    <name>quenbry::MainWindow</name>
    <message>
        <source>The save of %1 was interrupted. Restore the previous version from %2?</source>
        <translation>Das Speichern von %1 wurde unterbrochen. Die vorige Fassung aus %2 wiederherstellen?</translation>
    </message>
    <message>
        <source>The previous version will be deleted for good. Delete it?</source>
        <translation>Die vorige Fassung wird endgültig gelöscht. Löschen?</translation>
    </message>
    <message>
        <source>The unsaved text of an earlier session could not be read. It is kept in %1.</source>
        <translation>Der ungespeicherte Text einer früheren Sitzung konnte nicht gelesen werden. Er wird in %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>%1 was closed before %2 was saved. Recover the unsaved text from %3?</source>
        <translation>%1 wurde beendet, bevor %2 gespeichert war. Den ungespeicherten Text vom %3 wiederherstellen?</translation>
    </message>
    <message>
        <source>The unsaved text will be deleted for good. Delete it?</source>
        <translation>Der ungespeicherte Text wird endgültig gelöscht. Löschen?</translation>
    </message>
    <message>
        <source>No web browser could be started. Choose a default web browser for your desktop (xdg-settings set default-web-browser NAME.desktop) and try again.</source>
        <translation>Es konnte kein Webbrowser gestartet werden. Wählen Sie einen Standard-Webbrowser für Ihre Arbeitsumgebung (xdg-settings set default-web-browser NAME.desktop) und versuchen Sie es erneut.</translation>
    </message>
</context>
<context>
    <name>quenbry::NewPageDialog</name>
    <message>
        <source>New Page</source>
        <translation>Neue Seite</translation>
    </message>
    <message>
        <source>Untitled Page</source>
        <translation>Unbenannte Seite</translation>
    </message>
    <message>
        <source>Page&apos;s Title:</source>
        <translation>Titel der Seite:</translation>
    </message>
    <message>
        <source>Font Size:</source>
        <translation>Schriftgröße:</translation>
    </message>
    <message>
        <source>Font Name:</source>
        <translation>Schriftart:</translation>
    </message>
    <message>
        <source>Create Page</source>
        <translation>Seite erstellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Are you sure that you want a blank title to your web page?</source>
        <translation>Soll Ihre Webseite wirklich einen leeren Titel haben?</translation>
    </message>
    <message>
        <source>Blank title ?</source>
        <translation>Leerer Titel?</translation>
    </message>
</context>
<context>
    <name>quenbry::PreviewPane</name>
    <message>
        <source>

The preview starts again with your next change.</source>
        <translation>

Die Vorschau beginnt mit Ihrer nächsten Änderung von Neuem.</translation>
    </message>
    <message>
        <source>The preview cannot be shown: %1</source>
        <translation>Die Vorschau kann nicht gezeigt werden: %1</translation>
    </message>
    <message>
        <source>The preview needs the package quenbry-preview: sudo apt install quenbry-preview</source>
        <translation>Die Vorschau braucht das Paket quenbry-preview: sudo apt install quenbry-preview</translation>
    </message>
</context>
<context>
    <name>quenbry::SplashWindow</name>
    <message>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
</context>
</TS>
