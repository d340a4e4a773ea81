<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AppStrings</name>
    <message>
        <source>(not chosen)</source>
        <translation>(nicht gewählt)</translation>
    </message>
    <message>
        <source>NO_PATHS_SET</source>
        <translation>Es ist kein Ordner gewählt, aus dem dieses Archiv installiert wird.</translation>
    </message>
</context>
<context>
    <name>ArchiveImport</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>ConfigSheet</name>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Choose where PackShelf finds the downloaded archives, the library it installs them into, and a folder it may use as scratch space.</source>
        <translation>Wählen Sie, wo PackShelf die heruntergeladenen Archive findet, in welche Bibliothek es sie installiert und welchen Ordner es als Arbeitsbereich nutzen darf.</translation>
    </message>
    <message>
        <source>Archives:</source>
        <translation>Archive:</translation>
    </message>
    <message>
        <source>Not chosen yet</source>
        <translation>Noch nicht gewählt</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>Library:</source>
        <translation>Bibliothek:</translation>
    </message>
    <message>
        <source>Work folder:</source>
        <translation>Arbeitsordner:</translation>
    </message>
    <message>
        <source>Ignore Data folders: judge archives by their Runtime folder alone</source>
        <translation>Data-Ordner nicht beachten: Archive allein nach ihrem Runtime-Ordner beurteilen</translation>
    </message>
    <message>
        <source>Close and analyse the archives again</source>
        <translation>Schließen und die Archive erneut prüfen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>ConfirmSheet</name>
    <message>
        <source>Confirm Install</source>
        <translation>Installation bestätigen</translation>
    </message>
    <message>
        <source>Comparing the archives with the library</source>
        <translation>Die Archive werden mit der Bibliothek verglichen</translation>
    </message>
    <message>
        <source>Comparing with the library</source>
        <translation>Vergleich mit der Bibliothek</translation>
    </message>
    <message>
        <source>Files in total</source>
        <translation>Dateien insgesamt</translation>
    </message>
    <message>
        <source>Conflicts</source>
        <translation>Konflikte</translation>
    </message>
    <message>
        <source>Archives that cannot be installed</source>
        <translation>Archive, die nicht installiert werden können</translation>
    </message>
    <message>
        <source>Files the install writes</source>
        <translation>Dateien, die die Installation schreibt</translation>
    </message>
    <message>
        <source>List every file the install writes, what happens to it and whose file it replaces</source>
        <translation>Jede Datei auflisten, die die Installation schreibt, was mit ihr geschieht und wessen Datei sie ersetzt</translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation>Einzel&amp;heiten</translation>
    </message>
    <message>
        <source>Install nothing; the list stays as it is</source>
        <translation>Nichts installieren; die Liste bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Install the archives as listed</source>
        <translation>Die Archive wie aufgelistet installieren</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Installieren</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Archives installed and left alone</source>
        <translation>Installierte und belassene Archive</translation>
    </message>
</context>
<context>
    <name>InstallProgress</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>%1 — %2, %3</source>
        <translation>%1 — %2, %3</translation>
    </message>
    <message numerus="yes">
        <source>about %Ln second(s) left</source>
        <translation>
            <numerusform>noch etwa %Ln Sekunde</numerusform>
            <numerusform>noch etwa %Ln Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %Ln minute(s) left</source>
        <translation>
            <numerusform>noch etwa %Ln Minute</numerusform>
            <numerusform>noch etwa %Ln Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln archive(s) installed</source>
        <translation>
            <numerusform>%1 von %Ln Archiv installiert</numerusform>
            <numerusform>%1 von %Ln Archiven installiert</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>InstallSheet</name>
    <message>
        <source>Installing</source>
        <translation>Installation läuft</translation>
    </message>
    <message>
        <source>Preparing…</source>
        <translation>Vorbereitung…</translation>
    </message>
    <message>
        <source>Install progress</source>
        <translation>Fortschritt der Installation</translation>
    </message>
    <message>
        <source>Stop after rolling back the archive being installed; the archives already installed stay</source>
        <translation>Anhalten, nachdem das gerade installierte Archiv zurückgenommen wurde; bereits installierte Archive bleiben</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>File being written, bytes written and time left</source>
        <translation>Geschriebene Datei, geschriebene Bytes und verbleibende Zeit</translation>
    </message>
</context>
<context>
    <name>InstallSummary</name>
    <message>
        <source>a nested archive could not be installed</source>
        <translation>ein enthaltenes Archiv konnte nicht installiert werden</translation>
    </message>
    <message>
        <source>no reason was recorded</source>
        <translation>kein Grund verzeichnet</translation>
    </message>
    <message numerus="yes">
        <source>%Ln archive(s) installed.</source>
        <translation>
            <numerusform>%Ln Archiv installiert.</numerusform>
            <numerusform>%Ln Archive installiert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln failed.</source>
        <translation>
            <numerusform>%Ln fehlgeschlagen.</numerusform>
            <numerusform>%Ln fehlgeschlagen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln already installed and unchanged, left alone.</source>
        <translation>
            <numerusform>%Ln bereits unverändert installiert, belassen.</numerusform>
            <numerusform>%Ln bereits unverändert installiert, belassen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln not installed: the install was cancelled.</source>
        <translation>
            <numerusform>%Ln nicht installiert: Die Installation wurde abgebrochen.</numerusform>
            <numerusform>%Ln nicht installiert: Die Installation wurde abgebrochen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Installed</source>
        <translation>Installiert</translation>
    </message>
    <message>
        <source>Not installed (cancelled)</source>
        <translation>Nicht installiert (abgebrochen)</translation>
    </message>
    <message numerus="yes">
        <source>%Ln with nested archives not installed.</source>
        <translation>
            <numerusform>%Ln davon ohne ihre verschachtelten Archive.</numerusform>
            <numerusform>%Ln davon ohne ihre verschachtelten Archive.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln with warnings.</source>
        <translation>
            <numerusform>%Ln davon mit Warnungen.</numerusform>
            <numerusform>%Ln davon mit Warnungen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Installed with warnings</source>
        <translation>Mit Warnungen installiert</translation>
    </message>
    <message>
        <source>Nested archives not installed</source>
        <translation>Verschachtelte Archive nicht installiert</translation>
    </message>
    <message>
        <source>Already installed, unchanged: left alone</source>
        <translation>Bereits unverändert installiert: belassen</translation>
    </message>
</context>
<context>
    <name>InstalledSheet</name>
    <message>
        <source>Installed Packages</source>
        <translation>Installierte Pakete</translation>
    </message>
    <message>
        <source>Installed packages</source>
        <translation>Installierte Pakete</translation>
    </message>
    <message>
        <source>Filter packages</source>
        <translation>Pakete filtern</translation>
    </message>
    <message>
        <source>Shows only the packages whose archive name holds the text</source>
        <translation>Zeigt nur die Pakete, deren Archivname den Text enthält</translation>
    </message>
    <message>
        <source>Records that cannot be read</source>
        <translation>Einträge, die nicht gelesen werden können</translation>
    </message>
    <message>
        <source>What the uninstall did</source>
        <translation>Was die Deinstallation getan hat</translation>
    </message>
    <message>
        <source>Take the selected packages out of the library and put back the files they replaced</source>
        <translation>Die gewählten Pakete aus der Bibliothek entfernen und die von ihnen ersetzten Dateien zurücklegen</translation>
    </message>
    <message>
        <source>&amp;Uninstall…</source>
        <translation>&amp;Deinstallieren…</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Check every file of every package against what its install wrote, and mark the packages that are no longer as installed</source>
        <translation>Jede Datei jedes Pakets mit dem vergleichen, was seine Installation geschrieben hat, und die Pakete markieren, die nicht mehr wie installiert sind</translation>
    </message>
    <message>
        <source>&amp;Verify</source>
        <translation>&amp;Prüfen</translation>
    </message>
    <message>
        <source>Write the changed and missing files of the selected packages again from their archives in the source folder; your versions are kept aside first</source>
        <translation>Die geänderten und fehlenden Dateien der gewählten Pakete erneut aus ihren Archiven im Quellordner schreiben; Ihre Fassungen werden zuvor beiseitegelegt</translation>
    </message>
    <message>
        <source>&amp;Repair…</source>
        <translation>&amp;Reparieren…</translation>
    </message>
</context>
<context>
    <name>ItemDescription</name>
    <message>
        <source>Will install from: %1/%2</source>
        <translation>Wird installiert aus: %1/%2</translation>
    </message>
    <message>
        <source>Will install from: %1/%2
and from: %3/%4</source>
        <translation>Wird installiert aus: %1/%2
und aus: %3/%4</translation>
    </message>
    <message>
        <source>Will install %1 into: %2</source>
        <translation>%1 wird installiert nach: %2</translation>
    </message>
    <message numerus="yes">
        <source>%Ln byte(s)</source>
        <translation>
            <numerusform>%Ln Byte</numerusform>
            <numerusform>%Ln Byte</numerusform>
        </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Manually set</source>
        <translation>Von Hand festgelegt</translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>Unzip error</source>
        <translation>Fehler beim Entpacken</translation>
    </message>
    <message>
        <source>No Runtime</source>
        <translation>Kein Runtime-Ordner</translation>
    </message>
    <message>
        <source>No Runtime or data</source>
        <translation>Weder Runtime- noch Data-Ordner</translation>
    </message>
    <message>
        <source>Failed!</source>
        <translation>Fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Not analysed yet</source>
        <translation>Noch nicht geprüft</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s), %1</source>
        <translation>
            <numerusform>%Ln Datei, %1</numerusform>
            <numerusform>%Ln Dateien, %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Why: %1</source>
        <translation>Grund: %1</translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation>Hinweis: %1</translation>
    </message>
    <message>
        <source>Installed in the library on %1.</source>
        <translation>Am %1 in der Bibliothek installiert.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>a date, then a time of day</comment>
        <translation>%1 um %2</translation>
    </message>
    <message>
        <source>several Runtime folders: choose the folders first</source>
        <translation>mehrere Runtime-Ordner: zuerst die Ordner wählen</translation>
    </message>
    <message>
        <source>no Runtime folder</source>
        <translation>kein Runtime-Ordner</translation>
    </message>
    <message>
        <source>no Runtime or Data folder</source>
        <translation>kein Runtime- oder Data-Ordner</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>beschädigt</translation>
    </message>
    <message>
        <source>damaged: %1</source>
        <translation>beschädigt: %1</translation>
    </message>
    <message>
        <source>not analysed yet</source>
        <translation>noch nicht untersucht</translation>
    </message>
    <message>
        <source>being analysed</source>
        <translation>wird untersucht</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <comment>the last of several alternatives</comment>
        <translation>%1 oder %2</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation>
            <numerusform>%1 und %Ln weiteres</numerusform>
            <numerusform>%1 und %Ln weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <comment>the last of several entries</comment>
        <translation>%1 und %2</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln file(s), %2)</source>
        <translation>
            <numerusform>%1 (%Ln Datei, %2)</numerusform>
            <numerusform>%1 (%Ln Dateien, %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>Choose the Runtime folder: %1</source>
        <translation>Wählen Sie den Runtime-Ordner: %1</translation>
    </message>
    <message>
        <source>Choose the Data folder: %1</source>
        <translation>Wählen Sie den Data-Ordner: %1</translation>
    </message>
    <message>
        <source>A choice installs the folder that holds it: %1</source>
        <translation>Installiert wird der Ordner, der den gewählten enthält: %1</translation>
    </message>
    <message>
        <source>Installed as archive files, not unpacked: %1</source>
        <translation>Als Archivdateien installiert, nicht entpackt: %1</translation>
    </message>
    <message>
        <source>Installed as archive files and unpacked into folders of their names: %1</source>
        <translation>Als Archivdateien installiert und in gleichnamige Ordner entpackt: %1</translation>
    </message>
    <message>
        <source>Installs as they are: %1</source>
        <translation>Installiert unverändert: %1</translation>
    </message>
    <message>
        <source>Needs a password</source>
        <translation>Passwort nötig</translation>
    </message>
</context>
<context>
    <name>ListedArchives</name>
    <message>
        <source>Choose the folder that holds your downloaded archives (zip, 7z or RAR), the library to install them into and a work folder. PackShelf then looks into every archive and tells you what it would install.</source>
        <translation>Wählen Sie den Ordner mit Ihren heruntergeladenen Archiven (Zip, 7z oder RAR), die Bibliothek, in die sie installiert werden, und einen Arbeitsordner. PackShelf sieht dann in jedes Archiv und sagt Ihnen, was es installieren würde.</translation>
    </message>
    <message>
        <source>The source folder %1 does not exist. Choose another folder, or connect the drive that holds it.</source>
        <translation>Den Quellordner %1 gibt es nicht. Wählen Sie einen anderen Ordner oder schließen Sie das Laufwerk an, auf dem er liegt.</translation>
    </message>
    <message>
        <source>The source folder %1 cannot be read.</source>
        <translation>Der Quellordner %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Nothing is left to install from %1: every archive there has been installed or dropped. Archives that arrive there appear here.</source>
        <translation>In %1 ist nichts mehr zu installieren: Jedes Archiv dort wurde installiert oder ausgelassen. Archive, die dort ankommen, erscheinen hier.</translation>
    </message>
    <message>
        <source>There are no zip archives in %1 yet. Save or drag archives there: they appear here as they arrive.</source>
        <translation>In %1 liegen noch keine Zip-Archive. Speichern oder ziehen Sie Archive dorthin: Sie erscheinen hier, sobald sie ankommen.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>PackShelf</source>
        <translation>PackShelf</translation>
    </message>
    <message>
        <source>Archives</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Choose Folders…</source>
        <translation>Ordner wählen…</translation>
    </message>
    <message>
        <source>Archives: %1</source>
        <translation>Archive: %1</translation>
    </message>
    <message>
        <source>Analysing archives</source>
        <translation>Archive werden geprüft</translation>
    </message>
    <message>
        <source>Select an archive to look inside it</source>
        <translation>Wählen Sie ein Archiv, um hineinzusehen</translation>
    </message>
    <message>
        <source>Contents of the selected archive</source>
        <translation>Inhalt des gewählten Archivs</translation>
    </message>
    <message>
        <source>Install from the folder that holds the selected Runtime folder</source>
        <translation>Aus dem Ordner installieren, der den gewählten Runtime-Ordner enthält</translation>
    </message>
    <message>
        <source>Set Runtime</source>
        <translation>Runtime festlegen</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Install from the folder that holds the selected Data folder</source>
        <translation>Aus dem Ordner installieren, der den gewählten Data-Ordner enthält</translation>
    </message>
    <message>
        <source>Set Data</source>
        <translation>Data festlegen</translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation>Ctrl+D</translation>
    </message>
    <message>
        <source>Copy the selected folder as it is, together with what lies beside it</source>
        <translation>Den gewählten Ordner unverändert kopieren, zusammen mit allem, was daneben liegt</translation>
    </message>
    <message>
        <source>Force Folder</source>
        <translation>Ordner erzwingen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+F</source>
        <translation>Ctrl+Shift+F</translation>
    </message>
    <message>
        <source>Install the selection into a folder of your choice</source>
        <translation>Die Auswahl in einen Ordner Ihrer Wahl installieren</translation>
    </message>
    <message>
        <source>Destination…</source>
        <translation>Ziel…</translation>
    </message>
    <message>
        <source>Ctrl+T</source>
        <translation>Ctrl+T</translation>
    </message>
    <message>
        <source>What will be installed</source>
        <translation>Was installiert wird</translation>
    </message>
    <message>
        <source>Archive details</source>
        <translation>Angaben zum Archiv</translation>
    </message>
    <message>
        <source>What an install does to the library</source>
        <translation>Was eine Installation an der Bibliothek ändert</translation>
    </message>
    <message>
        <source>Support PackShelf</source>
        <translation>PackShelf unterstützen</translation>
    </message>
    <message>
        <source>Donate…</source>
        <translation>Spenden…</translation>
    </message>
    <message>
        <source>Leave the selected archives out; they stay in the source folder</source>
        <translation>Die gewählten Archive auslassen; sie bleiben im Quellordner</translation>
    </message>
    <message>
        <source>Drop</source>
        <translation>Auslassen</translation>
    </message>
    <message>
        <source>Install every archive marked green into the library</source>
        <translation>Jedes grün markierte Archiv in die Bibliothek installieren</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Configure…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Choose the source, library and work folders</source>
        <translation>Quell-, Bibliotheks- und Arbeitsordner wählen</translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation>Ctrl+,</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Look for new, changed and removed archives in the source folder</source>
        <translation>Im Quellordner nach neuen, geänderten und entfernten Archiven suchen</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>Installed…</source>
        <translation>Installiert…</translation>
    </message>
    <message>
        <source>Show the packages installed in the library, and uninstall them</source>
        <translation>Die in der Bibliothek installierten Pakete zeigen und deinstallieren</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtern</translation>
    </message>
    <message>
        <source>Show only the archives whose name or verdict holds a text</source>
        <translation>Nur die Archive zeigen, deren Name oder Befund einen Text enthält</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Open the source folder that holds the selected archive</source>
        <translation>Den Quellordner öffnen, der das gewählte Archiv enthält</translation>
    </message>
    <message>
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message>
        <source>Copy the paths of the selected archives</source>
        <translation>Die Pfade der gewählten Archive kopieren</translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation>Ctrl+C</translation>
    </message>
    <message>
        <source>The archives in the source folder; Enter shows the current one in the browser</source>
        <translation>Die Archive im Quellordner; die Eingabetaste zeigt das aktuelle im Browser</translation>
    </message>
    <message>
        <source>&amp;Choose Folders…</source>
        <translation>&amp;Ordner wählen…</translation>
    </message>
    <message>
        <source>The folders and files of the selected archive; the choice buttons act on the selected folder</source>
        <translation>Die Ordner und Dateien des gewählten Archivs; die Auswahlknöpfe wirken auf den gewählten Ordner</translation>
    </message>
    <message>
        <source>Set &amp;Runtime</source>
        <translation>&amp;Runtime festlegen</translation>
    </message>
    <message>
        <source>Set &amp;Data</source>
        <translation>&amp;Data festlegen</translation>
    </message>
    <message>
        <source>&amp;Force Folder</source>
        <translation>Ordner &amp;erzwingen</translation>
    </message>
    <message>
        <source>Des&amp;tination…</source>
        <translation>&amp;Ziel…</translation>
    </message>
    <message>
        <source>D&amp;onate…</source>
        <translation>&amp;Spenden…</translation>
    </message>
    <message>
        <source>Dro&amp;p</source>
        <translation>&amp;Auslassen</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Installieren</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Close the window and quit PackShelf</source>
        <translation>Das Fenster schließen und PackShelf beenden</translation>
    </message>
    <message>
        <source>Install only the selected archives marked green, in list order</source>
        <translation>Nur die ausgewählten grün markierten Archive installieren, in der Reihenfolge der Liste</translation>
    </message>
    <message>
        <source>Install Selected</source>
        <translation>Auswahl installieren</translation>
    </message>
    <message>
        <source>Install &amp;Selected</source>
        <translation>Auswahl insta&amp;llieren</translation>
    </message>
    <message>
        <source>Info box</source>
        <translation>Infobereich</translation>
    </message>
</context>
<context>
    <name>PreviewContent</name>
    <message>
        <source>Cannot be read: %1</source>
        <translation>Nicht lesbar: %1</translation>
    </message>
    <message>
        <source>Too large to show</source>
        <translation>Zu groß zum Anzeigen</translation>
    </message>
    <message>
        <source>Too large to show: %1 × %2 pixels</source>
        <translation>Zu groß zum Anzeigen: %1 × %2 Pixel</translation>
    </message>
    <message>
        <source>Not a picture this program can read</source>
        <translation>Kein Bild, das dieses Programm lesen kann</translation>
    </message>
    <message>
        <source>Damaged picture: %1</source>
        <translation>Beschädigtes Bild: %1</translation>
    </message>
    <message>
        <source>Image, %1 × %2 pixels</source>
        <translation>Bild, %1 × %2 Pixel</translation>
    </message>
    <message>
        <source>Text, %1</source>
        <translation>Text, %1</translation>
    </message>
</context>
<context>
    <name>PreviewSummary</name>
    <message>
        <source>Files: %1 added, %2 replaced, %3 already the same</source>
        <translation>Dateien: %1 hinzugefügt, %2 ersetzt, %3 bereits gleich</translation>
    </message>
    <message numerus="yes">
        <source>; %Ln written by several of these archives, the one later in the list kept</source>
        <translation>
            <numerusform>; %Ln davon von mehreren dieser Archive geschrieben, das in der Liste spätere bleibt</numerusform>
            <numerusform>; %Ln davon von mehreren dieser Archive geschrieben, das in der Liste spätere bleibt</numerusform>
        </translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Same</source>
        <translation>Unverändert</translation>
    </message>
    <message>
        <source>Cannot be installed: %1</source>
        <translation>Kann nicht installiert werden: %1</translation>
    </message>
    <message>
        <source>Already installed from this archive, and every file is as it was installed: it is left alone.</source>
        <translation>Bereits aus diesem Archiv installiert, und jede Datei ist wie installiert: es bleibt unberührt.</translation>
    </message>
    <message>
        <source>Replaces files installed by: %1</source>
        <translation>Ersetzt Dateien, installiert von: %1</translation>
    </message>
    <message>
        <source>Writes the same files as %1 in this install; the archive later in the list wins</source>
        <translation>Schreibt in dieser Installation dieselben Dateien wie %1; das spätere Archiv in der Liste gewinnt</translation>
    </message>
    <message>
        <source>No conflicts: no file of an installed package is replaced, and no two of these archives write the same file.</source>
        <translation>Keine Konflikte: Keine Datei eines installierten Pakets wird ersetzt, und keine zwei dieser Archive schreiben dieselbe Datei.</translation>
    </message>
    <message>
        <source>Replaces files of installed packages: %1</source>
        <translation>Ersetzt Dateien installierter Pakete: %1</translation>
    </message>
    <message>
        <source>Archives of this install that write the same files (the one later in the list wins): %1</source>
        <translation>Archive dieser Installation, die dieselben Dateien schreiben (das spätere in der Liste gewinnt): %1</translation>
    </message>
    <message>
        <source>%1 cannot be installed: %2</source>
        <translation>%1 kann nicht installiert werden: %2</translation>
    </message>
    <message>
        <source>To install: %1</source>
        <translation>Zu installieren: %1</translation>
    </message>
    <message>
        <source>Left alone, already installed and unchanged: %1</source>
        <translation>Belassen, bereits unverändert installiert: %1</translation>
    </message>
</context>
<context>
    <name>SummarySheet</name>
    <message>
        <source>Install Finished</source>
        <translation>Installation abgeschlossen</translation>
    </message>
    <message>
        <source>What was installed</source>
        <translation>Was installiert wurde</translation>
    </message>
    <message>
        <source>Open the library folder in the file manager</source>
        <translation>Den Bibliotheksordner in der Dateiverwaltung öffnen</translation>
    </message>
    <message>
        <source>&amp;Open Library</source>
        <translation>Bibliothek ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Take this install back: its packages are uninstalled, latest first (Ctrl+Z)</source>
        <translation>Diese Installation zurücknehmen: Ihre Pakete werden deinstalliert, das neueste zuerst (Strg+Z)</translation>
    </message>
    <message>
        <source>&amp;Undo Install…</source>
        <translation>Installation &amp;zurücknehmen…</translation>
    </message>
</context>
<context>
    <name>packshelf::AppDelegate</name>
    <message>
        <source>The source folder cannot be read: %1</source>
        <translation>Der Quellordner kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The source folder %1 is not a folder</source>
        <translation>Der Quellordner %1 ist kein Ordner</translation>
    </message>
    <message>
        <source>The source folder %1 does not exist</source>
        <translation>Den Quellordner %1 gibt es nicht</translation>
    </message>
    <message>
        <source>Select the archives whose paths to copy.</source>
        <translation>Wählen Sie die Archive, deren Pfade kopiert werden sollen.</translation>
    </message>
    <message numerus="yes">
        <source>Copied %Ln path(s).</source>
        <translation>
            <numerusform>%Ln Pfad kopiert.</numerusform>
            <numerusform>%Ln Pfade kopiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>No source folder has been chosen yet.</source>
        <translation>Es ist noch kein Quellordner gewählt.</translation>
    </message>
    <message>
        <source>Select an analysed archive to look inside it</source>
        <translation>Wählen Sie ein geprüftes Archiv, um hineinzusehen</translation>
    </message>
    <message>
        <source>Archives can be dropped once the analysis has finished.</source>
        <translation>Archive können ausgelassen werden, sobald die Prüfung abgeschlossen ist.</translation>
    </message>
    <message>
        <source>Select an archive first, then choose where to install it.</source>
        <translation>Wählen Sie zuerst ein Archiv und dann, wohin es installiert wird.</translation>
    </message>
    <message>
        <source>%1 is still being analysed.</source>
        <translation>%1 wird noch geprüft.</translation>
    </message>
    <message>
        <source>%1 cannot be read, so nothing of it can be installed.</source>
        <translation>%1 kann nicht gelesen werden, daher kann nichts daraus installiert werden.</translation>
    </message>
    <message>
        <source>Install %1 into</source>
        <translation>%1 installieren nach</translation>
    </message>
    <message>
        <source>Choose the folder that holds the archives</source>
        <translation>Wählen Sie den Ordner mit den Archiven</translation>
    </message>
    <message>
        <source>Choose the library to install into</source>
        <translation>Wählen Sie die Bibliothek, in die installiert wird</translation>
    </message>
    <message>
        <source>Choose a work folder</source>
        <translation>Wählen Sie einen Arbeitsordner</translation>
    </message>
    <message>
        <source>Thank You!</source>
        <translation>Danke schön!</translation>
    </message>
    <message>
        <source>Choose the source, library and work folders before installing.</source>
        <translation>Wählen Sie vor dem Installieren Quell-, Bibliotheks- und Arbeitsordner.</translation>
    </message>
    <message>
        <source>The library folder %1 does not exist: choose it again, or connect the drive that holds it.</source>
        <translation>Den Bibliotheksordner %1 gibt es nicht: Wählen Sie ihn erneut oder schließen Sie das Laufwerk an, auf dem er liegt.</translation>
    </message>
    <message>
        <source>Nothing is ready to install: only archives with a green pin are installed.</source>
        <translation>Nichts ist bereit zur Installation: Nur Archive mit einer grünen Nadel werden installiert.</translation>
    </message>
    <message>
        <source>Choose the library folder first.</source>
        <translation>Wählen Sie zuerst den Bibliotheksordner.</translation>
    </message>
    <message>
        <source>Comparing with the library…</source>
        <translation>Vergleich mit der Bibliothek…</translation>
    </message>
    <message>
        <source>Nothing on this desktop opens %1.</source>
        <translation>Auf diesem Desktop öffnet nichts %1.</translation>
    </message>
    <message>
        <source>None of the selected archives is ready to install: only archives with a green pin are installed.</source>
        <translation>Keines der ausgewählten Archive ist bereit zur Installation: Nur Archive mit einer grünen Nadel werden installiert.</translation>
    </message>
    <message>
        <source>There is nothing to refresh yet: choose the folder that holds your archives, the library and a work folder first.</source>
        <translation>Noch gibt es nichts zu aktualisieren: Wählen Sie zuerst den Ordner mit Ihren Archiven, die Bibliothek und einen Arbeitsordner.</translation>
    </message>
</context>
<context>
    <name>packshelf::ArchiveBrowserModel</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 (%2): an archive inside the archive, opened here as a folder</source>
        <translation>%1 (%2): ein Archiv im Archiv, hier als Ordner geöffnet</translation>
    </message>
    <message>
        <source>%1, nested archive</source>
        <translation>%1, verschachteltes Archiv</translation>
    </message>
</context>
<context>
    <name>packshelf::ConfigurationSheet</name>
    <message>
        <source>The library cannot be the source folder, nor lie inside it or hold it: installed files would be mixed with the downloaded archives. Choose another folder.</source>
        <translation>Die Bibliothek kann weder der Quellordner sein noch in ihm liegen oder ihn enthalten: Installierte Dateien würden sich mit den heruntergeladenen Archiven mischen. Wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The work folder cannot be the source folder, nor lie inside it or hold it: its scratch files would be mixed with the downloaded archives. Choose another folder.</source>
        <translation>Der Arbeitsordner kann weder der Quellordner sein noch in ihm liegen oder ihn enthalten: Seine Zwischendateien würden sich mit den heruntergeladenen Archiven mischen. Wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The work folder cannot be the library, nor lie inside it or hold it: its scratch files would end up among the installed content. Choose another folder.</source>
        <translation>Der Arbeitsordner kann weder die Bibliothek sein noch in ihr liegen oder sie enthalten: Seine Zwischendateien gerieten unter die installierten Inhalte. Wählen Sie einen anderen Ordner.</translation>
    </message>
</context>
<context>
    <name>packshelf::ContentListModel</name>
    <message>
        <source>%1, installed</source>
        <translation>%1, installiert</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Befund</translation>
    </message>
    <message>
        <source>%1 (%2 archive)</source>
        <translation>%1 (%2-Archiv)</translation>
    </message>
</context>
<context>
    <name>packshelf::ContentListProxy</name>
    <message numerus="yes">
        <source>No archive matches “%1” (%Ln archive(s) in the list)</source>
        <translation>
            <numerusform>Kein Archiv passt zu „%1“ (%Ln Archiv in der Liste)</numerusform>
            <numerusform>Kein Archiv passt zu „%1“ (%Ln Archive in der Liste)</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>packshelf::DropImport</name>
    <message>
        <source>Only zip, 7z and RAR archives can be added; not added: %1</source>
        <translation>Nur Zip-, 7z- und RAR-Archive können hinzugefügt werden; nicht hinzugefügt: %1</translation>
    </message>
    <message>
        <source>Replace Archive</source>
        <translation>Archiv ersetzen</translation>
    </message>
    <message>
        <source>The source folder already holds %1. Replace it with the dropped archive?</source>
        <translation>Der Quellordner enthält bereits %1. Durch das abgelegte Archiv ersetzen?</translation>
    </message>
    <message>
        <source>Choose an existing source folder before dropping archives on the window.</source>
        <translation>Wählen Sie einen vorhandenen Quellordner, bevor Sie Archive auf das Fenster ziehen.</translation>
    </message>
    <message numerus="yes">
        <source>Copying %Ln archive(s) into the source folder…</source>
        <translation>
            <numerusform>%Ln Archiv wird in den Quellordner kopiert…</numerusform>
            <numerusform>%Ln Archive werden in den Quellordner kopiert…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Copied %Ln archive(s) into the source folder.</source>
        <translation>
            <numerusform>%Ln Archiv in den Quellordner kopiert.</numerusform>
            <numerusform>%Ln Archive in den Quellordner kopiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>Not copied: %1</source>
        <translation>Nicht kopiert: %1</translation>
    </message>
</context>
<context>
    <name>packshelf::EngineText</name>
    <message>
        <source>cannot be opened: %1</source>
        <translation>lässt sich nicht öffnen: %1</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>an unsafe entry passed over</source>
        <translation>ein unsicherer Eintrag übergangen</translation>
    </message>
    <message>
        <source>%1 unsafe entries passed over</source>
        <translation>%1 unsichere Einträge übergangen</translation>
    </message>
    <message>
        <source>a link passed over</source>
        <translation>eine Verknüpfung übergangen</translation>
    </message>
    <message>
        <source>%1 links passed over</source>
        <translation>%1 Verknüpfungen übergangen</translation>
    </message>
    <message>
        <source>a name too long for this system</source>
        <translation>ein Name, zu lang für dieses System</translation>
    </message>
    <message>
        <source>%1 names too long for this system</source>
        <translation>%1 Namen, zu lang für dieses System</translation>
    </message>
    <message>
        <source>a name used for a file and a folder</source>
        <translation>ein Name, der für eine Datei und einen Ordner steht</translation>
    </message>
    <message>
        <source>%1 names used for a file and a folder</source>
        <translation>%1 Namen, die für eine Datei und einen Ordner stehen</translation>
    </message>
    <message>
        <source>an entry nested too deep to show</source>
        <translation>ein Eintrag, zu tief verschachtelt zum Anzeigen</translation>
    </message>
    <message>
        <source>%1 entries nested too deep to show</source>
        <translation>%1 Einträge, zu tief verschachtelt zum Anzeigen</translation>
    </message>
    <message>
        <source>a nested archive that cannot be read</source>
        <translation>ein eingebettetes Archiv, das sich nicht lesen lässt</translation>
    </message>
    <message>
        <source>%1 nested archives that cannot be read</source>
        <translation>%1 eingebettete Archive, die sich nicht lesen lassen</translation>
    </message>
    <message>
        <source>a folder can be forced only where no Runtime folder was found</source>
        <translation>ein Ordner lässt sich nur festlegen, wo kein Runtime-Ordner gefunden wurde</translation>
    </message>
    <message>
        <source>the Runtime and Data folders are chosen only among duplicates</source>
        <translation>Runtime- und Data-Ordner werden nur unter Duplikaten gewählt</translation>
    </message>
    <message>
        <source>there is no folder %1 in the archive</source>
        <translation>im Archiv gibt es keinen Ordner %1</translation>
    </message>
    <message>
        <source>the folder %1 holds no folder</source>
        <translation>der Ordner %1 enthält keinen Ordner</translation>
    </message>
    <message>
        <source>the folder %1 holds no %2 folder</source>
        <translation>der Ordner %1 enthält keinen %2-Ordner</translation>
    </message>
    <message>
        <source>at the top</source>
        <translation>auf oberster Ebene</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>es gibt ihn nicht</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>er ist kein Ordner</translation>
    </message>
    <message>
        <source>not a %1 archive, or damaged (it has no %1 signature)</source>
        <translation>kein %1-Archiv oder beschädigt (ihm fehlt die %1-Signatur)</translation>
    </message>
    <message>
        <source>not a %1 archive, or damaged (it begins as a %2 archive, which cannot be read either)</source>
        <translation>kein %1-Archiv oder beschädigt (es beginnt wie ein %2-Archiv, lässt sich aber auch so nicht lesen)</translation>
    </message>
    <message>
        <source>the archive is empty</source>
        <translation>das Archiv ist leer</translation>
    </message>
    <message>
        <source>entries share their data (a zip bomb)</source>
        <translation>Einträge teilen sich ihre Daten (eine Zip-Bombe)</translation>
    </message>
    <message>
        <source>more than %1 entries</source>
        <translation>mehr als %1 Einträge</translation>
    </message>
    <message>
        <source>the archive&apos;s directory is damaged</source>
        <translation>das Inhaltsverzeichnis des Archivs ist beschädigt</translation>
    </message>
    <message>
        <source>damaged entry header of %1</source>
        <translation>beschädigter Eintragskopf von %1</translation>
    </message>
    <message>
        <source>the data of %1 lies outside the archive</source>
        <translation>die Daten von %1 liegen außerhalb des Archivs</translation>
    </message>
    <message>
        <source>%1 is encrypted (%2)</source>
        <translation>%1 ist verschlüsselt (%2)</translation>
    </message>
    <message>
        <source>: it needs a password</source>
        <translation>: dafür ist ein Passwort nötig</translation>
    </message>
    <message>
        <source>: the password given does not open it</source>
        <translation>: das angegebene Passwort öffnet es nicht</translation>
    </message>
    <message>
        <source>: none of the %1 passwords given opens it</source>
        <translation>: keines der %1 angegebenen Passwörter öffnet es</translation>
    </message>
    <message>
        <source>split archive: this is part %1 of %2, its directory begins in part %3; only a whole archive can be read (join the parts first)</source>
        <translation>geteiltes Archiv: dies ist Teil %1 von %2, sein Inhaltsverzeichnis beginnt in Teil %3; lesbar ist nur ein vollständiges Archiv (zuerst die Teile zusammenfügen)</translation>
    </message>
    <message>
        <source>split archive: this is its first part, the directory is in the last; only a whole archive can be read (join the parts first)</source>
        <translation>geteiltes Archiv: dies ist sein erster Teil, das Inhaltsverzeichnis steht im letzten; lesbar ist nur ein vollständiges Archiv (zuerst die Teile zusammenfügen)</translation>
    </message>
    <message>
        <source>not a zip archive, or damaged</source>
        <translation>kein Zip-Archiv oder beschädigt</translation>
    </message>
    <message>
        <source>damaged data in %1</source>
        <translation>beschädigte Daten in %1</translation>
    </message>
    <message>
        <source>%1 is larger than it declares</source>
        <translation>%1 ist größer als angegeben</translation>
    </message>
    <message>
        <source>CRC error in %1</source>
        <translation>Prüfsummenfehler (CRC) in %1</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>%1 ließ sich nicht schreiben</translation>
    </message>
    <message>
        <source>cannot read %1 from the archive</source>
        <translation>%1 lässt sich nicht aus dem Archiv lesen</translation>
    </message>
    <message>
        <source>%1 is encrypted and no password was given</source>
        <translation>%1 ist verschlüsselt, und es wurde kein Passwort angegeben</translation>
    </message>
    <message>
        <source>wrong password for %1</source>
        <translation>falsches Passwort für %1</translation>
    </message>
    <message>
        <source>damaged data in %1 (its authentication code does not match)</source>
        <translation>beschädigte Daten in %1 (der Authentifizierungscode stimmt nicht)</translation>
    </message>
    <message>
        <source>%1 needs more memory to decode than an entry may take</source>
        <translation>%1 braucht zum Entpacken mehr Speicher, als einem Eintrag zusteht</translation>
    </message>
    <message>
        <source>no decoder for %1</source>
        <translation>kein Dekodierer für %1</translation>
    </message>
    <message>
        <source>wrong password for %1, or damaged data</source>
        <translation>falsches Passwort für %1 oder beschädigte Daten</translation>
    </message>
    <message>
        <source>AES-%1 encryption</source>
        <translation>AES-%1-Verschlüsselung</translation>
    </message>
    <message>
        <source>traditional PKWARE encryption</source>
        <translation>herkömmliche PKWARE-Verschlüsselung</translation>
    </message>
    <message>
        <source>AES encryption of an unknown kind</source>
        <translation>AES-Verschlüsselung unbekannter Art</translation>
    </message>
    <message>
        <source>PKWARE strong encryption, not supported</source>
        <translation>starke PKWARE-Verschlüsselung, nicht unterstützt</translation>
    </message>
    <message>
        <source>unsupported compression method %1 in %2</source>
        <translation>nicht unterstütztes Kompressionsverfahren %1 in %2</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>the reader was closed after an error</source>
        <translation>der Leser wurde nach einem Fehler geschlossen</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr frei</translation>
    </message>
    <message>
        <source>more nested archives than one archive may hold</source>
        <translation>mehr eingebettete Archive, als ein Archiv enthalten darf</translation>
    </message>
    <message>
        <source>not enough free space in the work folder for %1</source>
        <translation>im Arbeitsordner ist nicht genug Platz frei für %1</translation>
    </message>
    <message>
        <source>cannot make a temporary file in %1: %2</source>
        <translation>in %1 lässt sich keine temporäre Datei anlegen: %2</translation>
    </message>
    <message>
        <source>cannot write a temporary file in %1: %2</source>
        <translation>in %1 lässt sich keine temporäre Datei schreiben: %2</translation>
    </message>
    <message>
        <source>its content inflates to more than one archive may hold</source>
        <translation>sein Inhalt wächst beim Entpacken über das hinaus, was ein Archiv enthalten darf</translation>
    </message>
    <message>
        <source>split archive, or cut short: its directory lies beyond the end of the file</source>
        <translation>geteiltes oder abgeschnittenes Archiv: sein Inhaltsverzeichnis liegt hinter dem Dateiende</translation>
    </message>
    <message>
        <source>split archive: this is one of its volumes</source>
        <translation>geteiltes Archiv: dies ist einer seiner Teile</translation>
    </message>
    <message>
        <source>%1, coder %2</source>
        <translation>%1, Kodierer %2</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 lässt sich nicht lesen: %2</translation>
    </message>
    <message>
        <source>it is no longer in the archive</source>
        <translation>es ist nicht mehr im Archiv</translation>
    </message>
    <message>
        <source>%1 changed since the archive was read</source>
        <translation>%1 hat sich geändert, seit das Archiv gelesen wurde</translation>
    </message>
    <message>
        <source>damaged data in %1 (%2)</source>
        <translation>beschädigte Daten in %1 (%2)</translation>
    </message>
    <message>
        <source>the archive&apos;s names are encrypted (%1 header encryption, not supported)</source>
        <translation>die Namen im Archiv sind verschlüsselt (%1-Kopfverschlüsselung, nicht unterstützt)</translation>
    </message>
    <message>
        <source>not a %1 archive, or damaged (%2)</source>
        <translation>kein %1-Archiv oder beschädigt (%2)</translation>
    </message>
    <message>
        <source>%1 is encrypted (%2 encryption, not supported)</source>
        <translation>%1 ist verschlüsselt (%2-Verschlüsselung, nicht unterstützt)</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>a path too long for this system</source>
        <translation>ein Pfad, zu lang für dieses System</translation>
    </message>
    <message>
        <source>: a file is in the way</source>
        <translation>: eine Datei steht im Weg</translation>
    </message>
    <message>
        <source>: a folder is in the way</source>
        <translation>: ein Ordner steht im Weg</translation>
    </message>
    <message>
        <source>: not enough free space: %1 bytes needed, %2 free (%3 of them kept free)</source>
        <translation>: nicht genug Platz frei: %1 Byte nötig, %2 frei (davon %3 freigehalten)</translation>
    </message>
    <message>
        <source>the last install run into %1 is no longer the one shown; nothing was taken back</source>
        <translation>die letzte Installation nach %1 ist nicht mehr die angezeigte; nichts wurde zurückgenommen</translation>
    </message>
    <message>
        <source>%1 needs attention before it can be changed</source>
        <translation>%1 muss erst in Ordnung gebracht werden, bevor es sich ändern lässt</translation>
    </message>
    <message>
        <source>%1 cannot be changed while a record of it cannot be read</source>
        <translation>%1 lässt sich nicht ändern, solange ein Eintrag dazu nicht lesbar ist</translation>
    </message>
    <message>
        <source>%1 is not installed in %2</source>
        <translation>%1 ist nicht in %2 installiert</translation>
    </message>
    <message>
        <source>installed, but not finished: %1</source>
        <translation>installiert, aber nicht abgeschlossen: %1</translation>
    </message>
    <message>
        <source>kept %1: %2</source>
        <translation>%1 behalten: %2</translation>
    </message>
    <message>
        <source>the earlier version of %1 is beside it: %2</source>
        <translation>die frühere Fassung von %1 liegt daneben: %2</translation>
    </message>
    <message>
        <source>%1: %2 (it must be a folder)</source>
        <translation>%1: %2 (es muss ein Ordner sein)</translation>
    </message>
    <message>
        <source>%1 cannot be brought into the store while a record cannot be read: %2</source>
        <translation>%1 lässt sich nicht ins Lager bringen, solange ein Eintrag nicht lesbar ist: %2</translation>
    </message>
    <message>
        <source>%1 cannot be brought into the store: %2</source>
        <translation>%1 lässt sich nicht ins Lager bringen: %2</translation>
    </message>
    <message>
        <source>as installed</source>
        <translation>wie installiert</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>keine Datei</translation>
    </message>
    <message>
        <source>%1 is not the archive the package was installed from (missing, or its size or listing differs)</source>
        <translation>%1 ist nicht das Archiv, aus dem das Paket installiert wurde (es fehlt, oder Größe oder Inhaltsliste weichen ab)</translation>
    </message>
    <message>
        <source>the archive&apos;s plan writes into %1, not %2</source>
        <translation>der Plan des Archivs schreibt nach %1, nicht nach %2</translation>
    </message>
    <message>
        <source>%1 is not in %2</source>
        <translation>%1 ist nicht in %2</translation>
    </message>
    <message>
        <source>%1: something else is there now</source>
        <translation>%1: dort liegt jetzt etwas anderes</translation>
    </message>
    <message>
        <source>%1: changed since it was written</source>
        <translation>%1: geändert, seit es geschrieben wurde</translation>
    </message>
    <message>
        <source>%1: what was staged for it is gone</source>
        <translation>%1: was dafür bereitgelegt wurde, ist fort</translation>
    </message>
    <message>
        <source>cannot be put back: %1</source>
        <translation>lässt sich nicht zurücklegen: %1</translation>
    </message>
    <message>
        <source>%1 is not a path below the library</source>
        <translation>%1 ist kein Pfad unterhalb der Bibliothek</translation>
    </message>
    <message>
        <source>%1 is the library&apos;s own</source>
        <translation>%1 gehört der Bibliothek selbst</translation>
    </message>
    <message>
        <source>a step of no known kind, or without what it needs</source>
        <translation>ein Schritt unbekannter Art oder ohne das, was er braucht</translation>
    </message>
    <message>
        <source>it places %1 from what it did not stage</source>
        <translation>es legt %1 aus etwas ab, das es nicht bereitgelegt hat</translation>
    </message>
    <message>
        <source>it moves %1 without knowing it</source>
        <translation>es verschiebt %1, ohne es zu kennen</translation>
    </message>
    <message>
        <source>it moves %1 to %2</source>
        <translation>es verschiebt %1 nach %2</translation>
    </message>
    <message>
        <source>it places the record %1</source>
        <translation>es legt den Eintrag %1 ab</translation>
    </message>
    <message>
        <source>it drops the record %1</source>
        <translation>es verwirft den Eintrag %1</translation>
    </message>
    <message>
        <source>it removes %1, which it did not stage</source>
        <translation>es entfernt %1, das es nicht bereitgelegt hat</translation>
    </message>
    <message>
        <source>%1 is not a version</source>
        <translation>%1 ist keine Fassung</translation>
    </message>
    <message>
        <source>it is not a whole journal of this version</source>
        <translation>es ist kein vollständiges Journal dieser Version</translation>
    </message>
    <message>
        <source>it does not match its digest</source>
        <translation>es passt nicht zu seiner Prüfsumme</translation>
    </message>
    <message>
        <source>it is not a journal</source>
        <translation>es ist kein Journal</translation>
    </message>
    <message>
        <source>it was written by another version of PackShelf</source>
        <translation>es wurde von einer anderen Version von PackShelf geschrieben</translation>
    </message>
    <message>
        <source>%1: what was staged for it is gone (%2)</source>
        <translation>%1: was dafür bereitgelegt wurde, ist fort (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be read or carried out (%2), so the library is left as it is, with what that change staged and set aside; packshelf-cli recover %3 sets it aside</source>
        <translation>%1 lässt sich nicht lesen oder ausführen (%2), daher bleibt die Bibliothek, wie sie ist, mit dem, was diese Änderung bereitgelegt und beiseitegelegt hat; packshelf-cli recover %3 legt es beiseite</translation>
    </message>
    <message>
        <source>%1: a change was interrupted; the next command that changes the library finishes it</source>
        <translation>%1: eine Änderung wurde unterbrochen; der nächste Befehl, der die Bibliothek ändert, schließt sie ab</translation>
    </message>
    <message>
        <source>%1: not a file</source>
        <translation>%1: keine Datei</translation>
    </message>
    <message>
        <source>the nested archive cannot be expanded (%1)</source>
        <translation>das eingebettete Archiv lässt sich nicht entpacken (%1)</translation>
    </message>
    <message>
        <source>no folder can be named after it</source>
        <translation>kein Ordner kann danach benannt werden</translation>
    </message>
    <message>
        <source>a file named %1 is in the way</source>
        <translation>eine Datei namens %1 steht im Weg</translation>
    </message>
    <message>
        <source>the path leaves the archive</source>
        <translation>der Pfad führt aus dem Archiv hinaus</translation>
    </message>
    <message>
        <source>not a folder</source>
        <translation>kein Ordner</translation>
    </message>
    <message>
        <source>not in the archive</source>
        <translation>nicht im Archiv</translation>
    </message>
    <message>
        <source>the archive holding it is not read</source>
        <translation>das Archiv, das es enthält, wird nicht gelesen</translation>
    </message>
    <message>
        <source>both a file and a folder in the archive</source>
        <translation>im Archiv zugleich eine Datei und ein Ordner</translation>
    </message>
    <message>
        <source>both a file and a folder in the install</source>
        <translation>in der Installation zugleich eine Datei und ein Ordner</translation>
    </message>
    <message>
        <source>%1 and %2 meet at one library path: %2, the later in the archive, is installed</source>
        <translation>%1 und %2 treffen auf denselben Pfad in der Bibliothek: %2, das spätere im Archiv, wird installiert</translation>
    </message>
    <message>
        <source>a name PackShelf keeps for its records</source>
        <translation>ein Name, den PackShelf für seine Aufzeichnungen vorbehält</translation>
    </message>
    <message>
        <source>a name PackShelf keeps for files being written</source>
        <translation>ein Name, den PackShelf für Dateien im Schreiben vorbehält</translation>
    </message>
    <message>
        <source>no part of the archive is chosen for it</source>
        <translation>kein Teil des Archivs ist dafür gewählt</translation>
    </message>
    <message>
        <source>no direct destination is set</source>
        <translation>kein direktes Ziel ist festgelegt</translation>
    </message>
    <message>
        <source>the destination is not an absolute path</source>
        <translation>das Ziel ist kein absoluter Pfad</translation>
    </message>
    <message>
        <source>two entries are named %1: the later in the archive is installed</source>
        <translation>zwei Einträge heißen %1: der spätere im Archiv wird installiert</translation>
    </message>
    <message>
        <source>%1 is not a key of this user&apos;s alone</source>
        <translation>%1 ist kein Schlüssel allein dieses Benutzers</translation>
    </message>
    <message>
        <source>needs confirmation for %1: it is outside the library, and nothing shows that PackShelf of this user put it in the library&apos;s records</source>
        <translation>Bestätigung nötig für %1: es liegt außerhalb der Bibliothek, und nichts zeigt, dass PackShelf dieses Benutzers es in die Aufzeichnungen der Bibliothek eingetragen hat</translation>
    </message>
    <message>
        <source>%1 cannot be locked: %2</source>
        <translation>%1 lässt sich nicht sperren: %2</translation>
    </message>
    <message>
        <source>another process</source>
        <translation>ein anderer Prozess</translation>
    </message>
    <message>
        <source>this PackShelf itself</source>
        <translation>dieses PackShelf selbst</translation>
    </message>
    <message>
        <source>waiting for the library, which %1 is %2</source>
        <translation>Warten auf die Bibliothek, die %1 gerade %2</translation>
    </message>
    <message>
        <source>not a package record</source>
        <translation>keine Paketaufzeichnung</translation>
    </message>
    <message>
        <source>%1: the record was not read whole</source>
        <translation>%1: die Aufzeichnung wurde nicht vollständig gelesen</translation>
    </message>
    <message>
        <source>a file entry is not valid</source>
        <translation>ein Dateieintrag ist ungültig</translation>
    </message>
    <message>
        <source>a backup path is not valid</source>
        <translation>ein Sicherungspfad ist ungültig</translation>
    </message>
    <message>
        <source>an earlier version is not valid</source>
        <translation>eine frühere Fassung ist ungültig</translation>
    </message>
    <message>
        <source>its destination is not valid</source>
        <translation>sein Ziel ist ungültig</translation>
    </message>
    <message>
        <source>a folder entry is not valid</source>
        <translation>ein Ordnereintrag ist ungültig</translation>
    </message>
    <message>
        <source>changed while it was read</source>
        <translation>während des Lesens geändert</translation>
    </message>
    <message>
        <source>%1: its content is not the version its name gives</source>
        <translation>%1: sein Inhalt ist nicht die Fassung, die sein Name angibt</translation>
    </message>
    <message>
        <source>%1 cannot be read to tell whose it is</source>
        <translation>%1 lässt sich nicht lesen, um zu sagen, wem es gehört</translation>
    </message>
    <message>
        <source>%1 cannot be read to tell whether it changed</source>
        <translation>%1 lässt sich nicht lesen, um zu sagen, ob es sich geändert hat</translation>
    </message>
    <message>
        <source>its earlier version is missing from the library&apos;s store</source>
        <translation>seine frühere Fassung fehlt im Lager der Bibliothek</translation>
    </message>
    <message>
        <source>it is gone, and </source>
        <translation>es ist fort, und </translation>
    </message>
    <message>
        <source>%1: the version the user had before %2 installed it is missing</source>
        <translation>%1: die Fassung, die der Benutzer hatte, bevor %2 es installierte, fehlt</translation>
    </message>
    <message>
        <source>%1: the version the user had before %2 installed it is missing from the library&apos;s store</source>
        <translation>%1: die Fassung, die der Benutzer hatte, bevor %2 es installierte, fehlt im Lager der Bibliothek</translation>
    </message>
    <message>
        <source>%1 cannot be set aside: %2</source>
        <translation>%1 lässt sich nicht beiseitelegen: %2</translation>
    </message>
    <message>
        <source>%1 cannot be kept: %2</source>
        <translation>%1 lässt sich nicht behalten: %2</translation>
    </message>
    <message>
        <source>%1 cannot be given back: %2</source>
        <translation>%1 lässt sich nicht zurückgeben: %2</translation>
    </message>
    <message>
        <source>a symbolic link is in the way</source>
        <translation>eine symbolische Verknüpfung steht im Weg</translation>
    </message>
    <message>
        <source>a folder is in the way</source>
        <translation>ein Ordner steht im Weg</translation>
    </message>
    <message>
        <source>a file is in the way</source>
        <translation>eine Datei steht im Weg</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 lässt sich nicht lesen: %2</translation>
    </message>
    <message>
        <source>the folder cannot be written to (%1)</source>
        <translation>in den Ordner lässt sich nicht schreiben (%1)</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>den Ordner gibt es nicht</translation>
    </message>
    <message>
        <source>not enough free space: %1 bytes needed, %2 free (%3 of them kept free)</source>
        <translation>nicht genug Platz frei: %1 Byte nötig, %2 frei (davon %3 freigehalten)</translation>
    </message>
    <message>
        <source>the library&apos;s records are not open</source>
        <translation>die Aufzeichnungen der Bibliothek sind nicht geöffnet</translation>
    </message>
    <message>
        <source>a frame of %1 bytes</source>
        <translation>ein Datenblock von %1 Byte</translation>
    </message>
    <message>
        <source>timed out</source>
        <translation>Zeit überschritten</translation>
    </message>
    <message>
        <source>the reader answered what cannot be read (%1)</source>
        <translation>der Leser gab eine Antwort, die sich nicht lesen lässt (%1)</translation>
    </message>
    <message>
        <source>the reader speaks protocol %1, not %2</source>
        <translation>der Leser spricht Protokoll %1, nicht %2</translation>
    </message>
    <message>
        <source>not a job</source>
        <translation>kein Auftrag</translation>
    </message>
    <message>
        <source>a job that cannot be read</source>
        <translation>ein Auftrag, der sich nicht lesen lässt</translation>
    </message>
    <message>
        <source>the reader did not start in time</source>
        <translation>der Leser ist nicht rechtzeitig gestartet</translation>
    </message>
    <message>
        <source>an answer to no job</source>
        <translation>eine Antwort auf keinen Auftrag</translation>
    </message>
    <message>
        <source>the reader took more than %1 seconds over the archive and was stopped</source>
        <translation>der Leser brauchte für das Archiv mehr als %1 Sekunden und wurde angehalten</translation>
    </message>
    <message>
        <source>the reader stopped (%1)</source>
        <translation>der Leser hat aufgehört (%1)</translation>
    </message>
    <message>
        <source>the reader could not be started (%1)</source>
        <translation>der Leser ließ sich nicht starten (%1)</translation>
    </message>
    <message>
        <source>the reader %1 could not be started (%2)</source>
        <translation>der Leser %1 ließ sich nicht starten (%2)</translation>
    </message>
    <message>
        <source>the reader stopped (%1) before it was ready</source>
        <translation>der Leser hat aufgehört (%1), bevor er bereit war</translation>
    </message>
    <message>
        <source>already ended</source>
        <translation>schon beendet</translation>
    </message>
    <message>
        <source>the reader zygote is gone</source>
        <translation>die Leser-Vorlage ist fort</translation>
    </message>
    <message>
        <source>the reader zygote does not answer</source>
        <translation>die Leser-Vorlage antwortet nicht</translation>
    </message>
    <message>
        <source>folder names the reader zygote cannot take</source>
        <translation>Ordnernamen, die die Leser-Vorlage nicht annehmen kann</translation>
    </message>
    <message>
        <source>the reader zygote could not fork a reader</source>
        <translation>die Leser-Vorlage konnte keinen Leser abspalten</translation>
    </message>
    <message>
        <source>an end the reader zygote could not tell</source>
        <translation>ein Ende, das die Leser-Vorlage nicht bestimmen konnte</translation>
    </message>
    <message>
        <source>process %1</source>
        <translation>Prozess %1</translation>
    </message>
    <message>
        <source>changing</source>
        <comment>the library, by its holder</comment>
        <translation>ändert</translation>
    </message>
    <message>
        <source>reading</source>
        <comment>the library, by its holder</comment>
        <translation>liest</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>Auf dem Gerät ist kein Platz mehr frei</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Das Speicherkontingent ist überschritten</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Keine Berechtigung</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>Der Vorgang ist nicht erlaubt</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>Datei oder Ordner nicht gefunden</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>Ist kein Ordner</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Ist ein Ordner</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>Die Datei gibt es schon</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>Das Dateisystem ist schreibgeschützt</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>Der Dateiname ist zu lang</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Zu viele Ebenen symbolischer Verknüpfungen</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Ein-/Ausgabefehler</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>Das Gerät oder die Ressource ist belegt</translation>
    </message>
    <message>
        <source>Directory not empty</source>
        <translation>Der Ordner ist nicht leer</translation>
    </message>
    <message>
        <source>Invalid cross-device link</source>
        <translation>Ungültige Verknüpfung über Gerätegrenzen hinweg</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>Too many open files in system</source>
        <translation>Zu viele offene Dateien im System</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>Es ist kein Speicher mehr frei</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>Ungültiges Argument</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>Die Datei ist zu groß</translation>
    </message>
    <message>
        <source>Text file busy</source>
        <translation>Die Programmdatei ist belegt</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>Die Ressource ist zurzeit nicht verfügbar</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>Veralteter Dateizugriff</translation>
    </message>
    <message>
        <source>Bad file descriptor</source>
        <translation>Ungültiger Dateideskriptor</translation>
    </message>
    <message>
        <source>Too many links</source>
        <translation>Zu viele Verknüpfungen</translation>
    </message>
    <message>
        <source>Value too large for defined data type</source>
        <translation>Der Wert ist zu groß für den festgelegten Datentyp</translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation> und %1 weitere</translation>
    </message>
    <message>
        <source> and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>%1 names are each given to two entries or more: the later in the archive is installed (%2)</source>
        <translation>%1 Namen tragen je zwei oder mehr Einträge: installiert wird der spätere im Archiv (%2)</translation>
    </message>
    <message>
        <source>%1 pairs of paths differ only in letter case and meet at one library path each: the later in the archive is installed (%2)</source>
        <translation>%1 Paare von Pfaden unterscheiden sich nur in Groß- und Kleinschreibung und treffen sich je an einem Pfad der Bibliothek: installiert wird der spätere im Archiv (%2)</translation>
    </message>
</context>
<context>
    <name>packshelf::EntryPreview</name>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1 (%2 bytes)</source>
        <translation>%1 (%2 Byte)</translation>
    </message>
</context>
<context>
    <name>packshelf::FolderPicker</name>
    <message>
        <source>The folder %1 does not exist yet. Create it and use it?</source>
        <translation>Den Ordner %1 gibt es noch nicht. Soll er angelegt und verwendet werden?</translation>
    </message>
    <message>
        <source>&amp;Create Folder</source>
        <translation>Ordner &amp;anlegen</translation>
    </message>
    <message>
        <source>The folder %1 cannot be created here. Choose a folder you may write to.</source>
        <translation>Der Ordner %1 kann hier nicht angelegt werden. Wählen Sie einen Ordner, in den Sie schreiben dürfen.</translation>
    </message>
</context>
<context>
    <name>packshelf::InstallConfirmation</name>
    <message numerus="yes">
        <source>Install %Ln archive(s) into %1?</source>
        <translation>
            <numerusform>%Ln Archiv in %1 installieren?</numerusform>
            <numerusform>%Ln Archive in %1 installieren?</numerusform>
        </translation>
    </message>
    <message>
        <source>Comparing the archives with the library…</source>
        <translation>Die Archive werden mit der Bibliothek verglichen…</translation>
    </message>
    <message>
        <source>To install: %1</source>
        <translation>Zu installieren: %1</translation>
    </message>
    <message>
        <source>Cannot be installed: %1</source>
        <translation>Kann nicht installiert werden: %1</translation>
    </message>
</context>
<context>
    <name>packshelf::InstallSession</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Installing %1 (%2 of %3)…</source>
        <translation>%1 wird installiert (%2 von %3)…</translation>
    </message>
    <message>
        <source>Cancelling: the archive being installed is rolled back…</source>
        <translation>Abbruch: Das gerade installierte Archiv wird zurückgenommen…</translation>
    </message>
    <message>
        <source>Undo Install</source>
        <translation>Installation zurücknehmen</translation>
    </message>
    <message>
        <source>Taking back the last install…</source>
        <translation>Die letzte Installation wird zurückgenommen…</translation>
    </message>
    <message>
        <source>The library cannot be changed: %1</source>
        <translation>Die Bibliothek kann nicht geändert werden: %1</translation>
    </message>
    <message>
        <source>There is no install to take back.</source>
        <translation>Es gibt keine Installation, die zurückgenommen werden kann.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln package(s) uninstalled, latest first.</source>
        <translation>
            <numerusform>%Ln Paket deinstalliert.</numerusform>
            <numerusform>%Ln Pakete deinstalliert, das neueste zuerst.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2 removed, %3 put back, %4 kept because it changed since.</source>
        <translation>%1: %2 entfernt, %3 zurückgelegt, %4 behalten, weil seither geändert.</translation>
    </message>
    <message>
        <source>Not done: %1</source>
        <translation>Nicht erledigt: %1</translation>
    </message>
    <message>
        <source>Cannot be read: %1</source>
        <translation>Nicht lesbar: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation type="unfinished">
            <numerusform>%1 und %Ln weiteres</numerusform>
            <numerusform>%1 und %Ln weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>an unknown time</source>
        <translation>unbekannter Zeit</translation>
    </message>
    <message numerus="yes">
        <source>Take back the install of %Ln package(s) into %1 on %2: %3? They are uninstalled, latest first: the files they replaced are put back, and a file changed since the install is kept.</source>
        <translation>
            <numerusform>Die Installation von %Ln Paket in %1 am %2 zurücknehmen: %3? Es wird deinstalliert: Die von ihm ersetzten Dateien werden zurückgelegt, und eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
            <numerusform>Die Installation von %Ln Paketen in %1 am %2 zurücknehmen: %3? Sie werden deinstalliert, das neueste zuerst: Die von ihnen ersetzten Dateien werden zurückgelegt, und eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 was installed into %2, outside the library, and nothing shows that PackShelf recorded it for you. Take it back there?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not taken back: it is in %1, outside the library.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your earlier version of %1 is beside it: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not as it should be: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Undone</source>
        <translation>Installation zurückgenommen</translation>
    </message>
</context>
<context>
    <name>packshelf::InstalledView</name>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>Installed</source>
        <translation>Installiert am</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Replaced</source>
        <translation>Ersetzt</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1 is no longer installed.</source>
        <translation>%1 ist nicht mehr installiert.</translation>
    </message>
    <message>
        <source>%1 uninstalled.</source>
        <translation>%1 deinstalliert.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) removed.</source>
        <translation>
            <numerusform>%Ln Datei entfernt.</numerusform>
            <numerusform>%Ln Dateien entfernt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) put back as they were before.</source>
        <translation>
            <numerusform>%Ln Datei wiederhergestellt, wie sie vorher war.</numerusform>
            <numerusform>%Ln Dateien wiederhergestellt, wie sie vorher waren.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) left to a later package that wrote over them.</source>
        <translation>
            <numerusform>%Ln Datei einem späteren Paket überlassen, das sie überschrieben hat.</numerusform>
            <numerusform>%Ln Dateien einem späteren Paket überlassen, das sie überschrieben hat.</numerusform>
        </translation>
    </message>
    <message>
        <source>Kept, changed since the install: %1</source>
        <translation>Behalten, seit der Installation geändert: %1</translation>
    </message>
    <message>
        <source>Kept as it is: %1 (%2)</source>
        <translation>Unverändert gelassen: %1 (%2)</translation>
    </message>
    <message>
        <source>Not done: %1</source>
        <translation>Nicht erledigt: %1</translation>
    </message>
    <message>
        <source>Reading the library %1…</source>
        <translation>Die Bibliothek %1 wird gelesen…</translation>
    </message>
    <message>
        <source>The library folder %1 does not exist.</source>
        <translation>Den Bibliotheksordner %1 gibt es nicht.</translation>
    </message>
    <message>
        <source>The library cannot be read: %1</source>
        <translation>Die Bibliothek kann nicht gelesen werden: %1</translation>
    </message>
    <message numerus="yes">
        <source>%Ln package(s) installed in %1</source>
        <translation>
            <numerusform>%Ln Paket in %1 installiert</numerusform>
            <numerusform>%Ln Pakete in %1 installiert</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot be read, its package is unknown and left alone: %1</source>
        <translation>Nicht lesbar, das Paket dazu ist unbekannt und bleibt unberührt: %1</translation>
    </message>
    <message numerus="yes">
        <source>Uninstall %Ln package(s): %1? The files installed from them are removed from the library and the files they replaced are put back; a file changed since the install is kept.</source>
        <translation>
            <numerusform>%Ln Paket deinstallieren: %1? Die daraus installierten Dateien werden aus der Bibliothek entfernt und die von ihm ersetzten Dateien zurückgelegt; eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
            <numerusform>%Ln Pakete deinstallieren: %1? Die daraus installierten Dateien werden aus der Bibliothek entfernt und die von ihnen ersetzten Dateien zurückgelegt; eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>Uninstall</source>
        <translation>Deinstallieren</translation>
    </message>
    <message>
        <source>Uninstalling…</source>
        <translation>Deinstallation läuft…</translation>
    </message>
    <message>
        <source>The library cannot be changed: %1</source>
        <translation>Die Bibliothek kann nicht geändert werden: %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 is not as installed: %2. %3</source>
        <translation>%1 ist nicht mehr wie installiert: %2. %3</translation>
    </message>
    <message>
        <source>Verifying every installed file…</source>
        <translation>Jede installierte Datei wird geprüft…</translation>
    </message>
    <message>
        <source>Cannot be read: %1</source>
        <translation>Nicht lesbar: %1</translation>
    </message>
    <message numerus="yes">
        <source>Every file of %Ln package(s) is as its install wrote it.</source>
        <translation>
            <numerusform>Jede Datei des Pakets ist so, wie seine Installation sie geschrieben hat.</numerusform>
            <numerusform>Jede Datei der %Ln Pakete ist so, wie ihre Installation sie geschrieben hat.</numerusform>
        </translation>
    </message>
    <message>
        <source>not as installed</source>
        <translation>nicht wie installiert</translation>
    </message>
    <message numerus="yes">
        <source>Repair %Ln package(s): %1? Their changed and missing files are written again from their archives; a version of yours is first kept in the library&apos;s records folder.</source>
        <translation>
            <numerusform>%Ln Paket reparieren: %1? Seine geänderten und fehlenden Dateien werden erneut aus dem Archiv geschrieben; Ihre Fassung wird zuvor im Verzeichnisordner der Bibliothek aufbewahrt.</numerusform>
            <numerusform>%Ln Pakete reparieren: %1? Ihre geänderten und fehlenden Dateien werden erneut aus den Archiven geschrieben; Ihre Fassungen werden zuvor im Verzeichnisordner der Bibliothek aufbewahrt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>Reparieren</translation>
    </message>
    <message>
        <source>Repairing…</source>
        <translation>Reparatur läuft…</translation>
    </message>
    <message>
        <source>%1 not repaired: %2</source>
        <translation>%1 nicht repariert: %2</translation>
    </message>
    <message numerus="yes">
        <source>%1: %Ln file(s) written again.</source>
        <translation>
            <numerusform>%1: %Ln Datei erneut geschrieben.</numerusform>
            <numerusform>%1: %Ln Dateien erneut geschrieben.</numerusform>
        </translation>
    </message>
    <message>
        <source>Your version of %1 is kept as %2</source>
        <translation>Ihre Fassung von %1 ist aufbewahrt als %2</translation>
    </message>
    <message>
        <source>%1 not uninstalled: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 not uninstalled: it is in %2, outside the library.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your earlier version of %1 is beside it: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not as it should be: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was installed into %2, outside the library, and nothing shows that PackShelf recorded it for you. Repair it there?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was installed into %2, outside the library, and nothing shows that PackShelf recorded it for you. Uninstall it there?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::ListMenu</name>
    <message>
        <source>Sort by Name</source>
        <translation>Nach Name sortieren</translation>
    </message>
    <message>
        <source>Sort by Verdict</source>
        <translation>Nach Befund sortieren</translation>
    </message>
    <message>
        <source>List Order</source>
        <translation>Reihenfolge der Liste</translation>
    </message>
    <message>
        <source>Analyse Again</source>
        <translation>Erneut untersuchen</translation>
    </message>
    <message>
        <source>Forgets the folders chosen by hand and looks into the archive afresh</source>
        <translation>Vergisst die von Hand gewählten Ordner und untersucht das Archiv neu</translation>
    </message>
</context>
<context>
    <name>packshelf::MainWindow</name>
    <message>
        <source>Filter archives</source>
        <translation>Archive filtern</translation>
    </message>
    <message>
        <source>Escape clears the filter</source>
        <translation>Escape leert den Filter</translation>
    </message>
</context>
<context>
    <name>packshelf::PreviewDetailsModel</name>
    <message>
        <source>%1 — cannot be installed: %2</source>
        <translation>%1 — kann nicht installiert werden: %2</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>replaces the file of %1</source>
        <translation>ersetzt die Datei von %1</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation>Konflikt</translation>
    </message>
    <message>
        <source>%1 — already installed and unchanged: left alone</source>
        <translation>%1 — bereits unverändert installiert: belassen</translation>
    </message>
    <message>
        <source>written before by %1, earlier in this install</source>
        <translation>zuvor von %1 geschrieben, früher in dieser Installation</translation>
    </message>
    <message>
        <source>replaces a file no package installed</source>
        <translation>ersetzt eine Datei, die kein Paket installiert hat</translation>
    </message>
    <message>
        <source>the same as the file of %1</source>
        <translation>gleich der Datei von %1</translation>
    </message>
    <message>
        <source>written again by %1, later in this install</source>
        <translation>erneut von %1 geschrieben, später in dieser Installation</translation>
    </message>
</context>
</TS>
