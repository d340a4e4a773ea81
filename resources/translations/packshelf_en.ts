<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AppStrings</name>
    <message>
        <source>NO_PATHS_SET</source>
        <translation>No folder has been chosen to install from this archive.</translation>
    </message>
    <message>
        <source>(not chosen)</source>
        <translation>(not chosen)</translation>
    </message>
</context>
<context>
    <name>ArchiveImport</name>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ConfigSheet</name>
    <message>
        <source>Configuration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose where PackShelf finds the downloaded archives, the library it installs them into, and a folder it may use as scratch space.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not chosen yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Library:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Work folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore Data folders: judge archives by their Runtime folder alone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close and analyse the archives again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Done</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ConfirmSheet</name>
    <message>
        <source>Confirm Install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comparing the archives with the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comparing with the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files in total</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conflicts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives that cannot be installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files the install writes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List every file the install writes, what happens to it and whose file it replaces</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install nothing; the list stays as it is</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Esc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install the archives as listed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives installed and left alone</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>InstallProgress</name>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — %2, %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>about %Ln second(s) left</source>
        <translation>
            <numerusform>about %Ln second left</numerusform>
            <numerusform>about %Ln seconds left</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %Ln minute(s) left</source>
        <translation>
            <numerusform>about %Ln minute left</numerusform>
            <numerusform>about %Ln minutes left</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln archive(s) installed</source>
        <translation>
            <numerusform>%1 of %Ln archive installed</numerusform>
            <numerusform>%1 of %Ln archives installed</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>InstallSheet</name>
    <message>
        <source>Installing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop after rolling back the archive being installed; the archives already installed stay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File being written, bytes written and time left</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>InstallSummary</name>
    <message>
        <source>a nested archive could not be installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no reason was recorded</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln archive(s) installed.</source>
        <translation>
            <numerusform>%Ln archive installed.</numerusform>
            <numerusform>%Ln archives installed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln failed.</source>
        <translation>
            <numerusform>%Ln failed.</numerusform>
            <numerusform>%Ln failed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln already installed and unchanged, left alone.</source>
        <translation>
            <numerusform>%Ln already installed and unchanged, left alone.</numerusform>
            <numerusform>%Ln already installed and unchanged, left alone.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln not installed: the install was cancelled.</source>
        <translation>
            <numerusform>%Ln not installed: the install was cancelled.</numerusform>
            <numerusform>%Ln not installed: the install was cancelled.</numerusform>
        </translation>
    </message>
    <message>
        <source>Failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not installed (cancelled)</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln with nested archives not installed.</source>
        <translation>
            <numerusform>%Ln with nested archives not installed.</numerusform>
            <numerusform>%Ln with nested archives not installed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln with warnings.</source>
        <translation>
            <numerusform>%Ln with warnings.</numerusform>
            <numerusform>%Ln with warnings.</numerusform>
        </translation>
    </message>
    <message>
        <source>Installed with warnings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nested archives not installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Already installed, unchanged: left alone</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>InstalledSheet</name>
    <message>
        <source>Installed Packages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed packages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Records that cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What the uninstall did</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the selected packages out of the library and put back the files they replaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Uninstall…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Del</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter packages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows only the packages whose archive name holds the text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check every file of every package against what its install wrote, and mark the packages that are no longer as installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Verify</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the changed and missing files of the selected packages again from their archives in the source folder; your versions are kept aside first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Repair…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ItemDescription</name>
    <message>
        <source>Not analysed yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s), %1</source>
        <translation>
            <numerusform>%Ln file, %1</numerusform>
            <numerusform>%Ln files, %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Why: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed in the library on %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Will install from: %1/%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Will install from: %1/%2
and from: %3/%4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Will install %1 into: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln byte(s)</source>
        <translation>
            <numerusform>%Ln byte</numerusform>
            <numerusform>%Ln bytes</numerusform>
        </translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manually set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unzip error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Runtime</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Runtime or data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>a date, then a time of day</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>several Runtime folders: choose the folders first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no Runtime folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no Runtime or Data folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>damaged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>damaged: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not analysed yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>being analysed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <comment>the last of several alternatives</comment>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation>
            <numerusform>%1 and %Ln more</numerusform>
            <numerusform>%1 and %Ln more</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <comment>the last of several entries</comment>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln file(s), %2)</source>
        <translation>
            <numerusform>%1 (%Ln file, %2)</numerusform>
            <numerusform>%1 (%Ln files, %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>Choose the Runtime folder: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the Data folder: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A choice installs the folder that holds it: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed as archive files, not unpacked: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed as archive files and unpacked into folders of their names: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installs as they are: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Needs a password</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ListedArchives</name>
    <message>
        <source>Choose the folder that holds your downloaded archives (zip, 7z or RAR), the library to install them into and a work folder. PackShelf then looks into every archive and tells you what it would install.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The source folder %1 does not exist. Choose another folder, or connect the drive that holds it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The source folder %1 cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing is left to install from %1: every archive there has been installed or dropped. Archives that arrive there appear here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There are no zip archives in %1 yet. Save or drag archives there: they appear here as they arrive.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>PackShelf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose Folders…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analysing archives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select an archive to look inside it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents of the selected archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install from the folder that holds the selected Runtime folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Runtime</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install from the folder that holds the selected Data folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the selected folder as it is, together with what lies beside it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Force Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Shift+F</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install the selection into a folder of your choice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+T</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What will be installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archive details</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support PackShelf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Donate…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave the selected archives out; they stay in the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install every archive marked green into the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Configure…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the source, library and work folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Look for new, changed and removed archives in the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show only the archives whose name or verdict holds a text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Del</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the source folder that holds the selected archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the paths of the selected archives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What an install does to the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the packages installed in the library, and uninstall them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The archives in the source folder; Enter shows the current one in the browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Choose Folders…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folders and files of the selected archive; the choice buttons act on the selected folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set &amp;Runtime</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set &amp;Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Force Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Des&amp;tination…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>D&amp;onate…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dro&amp;p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close the window and quit PackShelf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install only the selected archives marked green, in list order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install &amp;Selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info box</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PreviewContent</name>
    <message>
        <source>Cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too large to show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too large to show: %1 × %2 pixels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a picture this program can read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Damaged picture: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image, %1 × %2 pixels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text, %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PreviewSummary</name>
    <message>
        <source>Files: %1 added, %2 replaced, %3 already the same</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>; %Ln written by several of these archives, the one later in the list kept</source>
        <translation>
            <numerusform>; %Ln written by several of these archives, the one later in the list kept</numerusform>
            <numerusform>; %Ln written by several of these archives, the one later in the list kept</numerusform>
        </translation>
    </message>
    <message>
        <source>Add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Same</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be installed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Already installed from this archive, and every file is as it was installed: it is left alone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replaces files installed by: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No conflicts: no file of an installed package is replaced, and no two of these archives write the same file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replaces files of installed packages: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be installed: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writes the same files as %1 in this install; the archive later in the list wins</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives of this install that write the same files (the one later in the list wins): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To install: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left alone, already installed and unchanged: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SummarySheet</name>
    <message>
        <source>Install Finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What was installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the library folder in the file manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open Library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take this install back: its packages are uninstalled, latest first (Ctrl+Z)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo Install…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::AppDelegate</name>
    <message>
        <source>The source folder cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The source folder %1 does not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select the archives whose paths to copy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Copied %Ln path(s).</source>
        <translation>
            <numerusform>Copied %Ln path.</numerusform>
            <numerusform>Copied %Ln paths.</numerusform>
        </translation>
    </message>
    <message>
        <source>No source folder has been chosen yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select an analysed archive to look inside it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archives can be dropped once the analysis has finished.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select an archive first, then choose where to install it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is still being analysed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be read, so nothing of it can be installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install %1 into</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the folder that holds the archives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the library to install into</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a work folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the source, library and work folders before installing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing is ready to install: only archives with a green pin are installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The source folder %1 is not a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The library folder %1 does not exist: choose it again, or connect the drive that holds it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the library folder first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comparing with the library…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thank You!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing on this desktop opens %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None of the selected archives is ready to install: only archives with a green pin are installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is nothing to refresh yet: choose the folder that holds your archives, the library and a work folder first.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::ArchiveBrowserModel</name>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2): an archive inside the archive, opened here as a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, nested archive</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::ConfigurationSheet</name>
    <message>
        <source>The library cannot be the source folder, nor lie inside it or hold it: installed files would be mixed with the downloaded archives. Choose another folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The work folder cannot be the source folder, nor lie inside it or hold it: its scratch files would be mixed with the downloaded archives. Choose another folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The work folder cannot be the library, nor lie inside it or hold it: its scratch files would end up among the installed content. Choose another folder.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::ContentListModel</name>
    <message>
        <source>Archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2 archive)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::ContentListProxy</name>
    <message numerus="yes">
        <source>No archive matches “%1” (%Ln archive(s) in the list)</source>
        <translation>
            <numerusform>No archive matches “%1” (%Ln archive in the list)</numerusform>
            <numerusform>No archive matches “%1” (%Ln archives in the list)</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::DropImport</name>
    <message>
        <source>Only zip, 7z and RAR archives can be added; not added: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace Archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The source folder already holds %1. Replace it with the dropped archive?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose an existing source folder before dropping archives on the window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Copying %Ln archive(s) into the source folder…</source>
        <translation>
            <numerusform>Copying %Ln archive into the source folder…</numerusform>
            <numerusform>Copying %Ln archives into the source folder…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Copied %Ln archive(s) into the source folder.</source>
        <translation>
            <numerusform>Copied %Ln archive into the source folder.</numerusform>
            <numerusform>Copied %Ln archives into the source folder.</numerusform>
        </translation>
    </message>
    <message>
        <source>Not copied: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::EngineText</name>
    <message>
        <source>cannot be opened: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an unsafe entry passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 unsafe entries passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a link passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 links passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a name too long for this system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 names too long for this system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a name used for a file and a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 names used for a file and a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an entry nested too deep to show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 entries nested too deep to show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a nested archive that cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nested archives that cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a folder can be forced only where no Runtime folder was found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the Runtime and Data folders are chosen only among duplicates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no folder %1 in the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder %1 holds no folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder %1 holds no %2 folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>at the top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a %1 archive, or damaged (it has no %1 signature)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a %1 archive, or damaged (it begins as a %2 archive, which cannot be read either)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the archive is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>entries share their data (a zip bomb)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>more than %1 entries</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the archive&apos;s directory is damaged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>damaged entry header of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the data of %1 lies outside the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is encrypted (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: it needs a password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: the password given does not open it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: none of the %1 passwords given opens it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>split archive: this is part %1 of %2, its directory begins in part %3; only a whole archive can be read (join the parts first)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>split archive: this is its first part, the directory is in the last; only a whole archive can be read (join the parts first)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a zip archive, or damaged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>damaged data in %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is larger than it declares</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CRC error in %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read %1 from the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is encrypted and no password was given</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wrong password for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>damaged data in %1 (its authentication code does not match)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 needs more memory to decode than an entry may take</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no decoder for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wrong password for %1, or damaged data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AES-%1 encryption</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>traditional PKWARE encryption</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AES encryption of an unknown kind</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PKWARE strong encryption, not supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unsupported compression method %1 in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader was closed after an error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>more nested archives than one archive may hold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not enough free space in the work folder for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot make a temporary file in %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write a temporary file in %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its content inflates to more than one archive may hold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>split archive, or cut short: its directory lies beyond the end of the file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>split archive: this is one of its volumes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, coder %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is no longer in the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 changed since the archive was read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>damaged data in %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the archive&apos;s names are encrypted (%1 header encryption, not supported)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a %1 archive, or damaged (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is encrypted (%2 encryption, not supported)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a path too long for this system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: a file is in the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: a folder is in the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: not enough free space: %1 bytes needed, %2 free (%3 of them kept free)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the last install run into %1 is no longer the one shown; nothing was taken back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 needs attention before it can be changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be changed while a record of it cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not installed in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>installed, but not finished: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kept %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the earlier version of %1 is beside it: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 (it must be a folder)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be brought into the store while a record cannot be read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be brought into the store: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>as installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not the archive the package was installed from (missing, or its size or listing differs)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the archive&apos;s plan writes into %1, not %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: something else is there now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: changed since it was written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: what was staged for it is gone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot be put back: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a path below the library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is the library&apos;s own</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a step of no known kind, or without what it needs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it places %1 from what it did not stage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it moves %1 without knowing it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it moves %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it places the record %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it drops the record %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it removes %1, which it did not stage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a whole journal of this version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it does not match its digest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a journal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it was written by another version of PackShelf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: what was staged for it is gone (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be read or carried out (%2), so the library is left as it is, with what that change staged and set aside; packshelf-cli recover %3 sets it aside</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: a change was interrupted; the next command that changes the library finishes it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: not a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the nested archive cannot be expanded (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no folder can be named after it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a file named %1 is in the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the path leaves the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not in the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the archive holding it is not read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>both a file and a folder in the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>both a file and a folder in the install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 and %2 meet at one library path: %2, the later in the archive, is installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a name PackShelf keeps for its records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a name PackShelf keeps for files being written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no part of the archive is chosen for it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no direct destination is set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the destination is not an absolute path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>two entries are named %1: the later in the archive is installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a key of this user&apos;s alone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>needs confirmation for %1: it is outside the library, and nothing shows that PackShelf of this user put it in the library&apos;s records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be locked: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>another process</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>this PackShelf itself</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>waiting for the library, which %1 is %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a package record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the record was not read whole</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a file entry is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a backup path is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an earlier version is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its destination is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a folder entry is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>changed while it was read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: its content is not the version its name gives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be read to tell whose it is</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be read to tell whether it changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its earlier version is missing from the library&apos;s store</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is gone, and </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the version the user had before %2 installed it is missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the version the user had before %2 installed it is missing from the library&apos;s store</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be set aside: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be kept: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be given back: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a symbolic link is in the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a folder is in the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a file is in the way</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder cannot be written to (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not enough free space: %1 bytes needed, %2 free (%3 of them kept free)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the library&apos;s records are not open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a frame of %1 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>timed out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader answered what cannot be read (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader speaks protocol %1, not %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a job</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a job that cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader did not start in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an answer to no job</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader took more than %1 seconds over the archive and was stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader stopped (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader could not be started (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader %1 could not be started (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader stopped (%1) before it was ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>already ended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader zygote is gone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader zygote does not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>folder names the reader zygote cannot take</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader zygote could not fork a reader</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an end the reader zygote could not tell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>process %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>changing</source>
        <comment>the library, by its holder</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reading</source>
        <comment>the library, by its holder</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File exists</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Directory not empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid cross-device link</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many open files in system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text file busy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bad file descriptor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many links</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value too large for defined data type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> and </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 names are each given to two entries or more: the later in the archive is installed (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 pairs of paths differ only in letter case and meet at one library path each: the later in the archive is installed (%2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::EntryPreview</name>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2 bytes)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::FolderPicker</name>
    <message>
        <source>The folder %1 does not exist yet. Create it and use it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Create Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder %1 cannot be created here. Choose a folder you may write to.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::InstallConfirmation</name>
    <message numerus="yes">
        <source>Install %Ln archive(s) into %1?</source>
        <translation>
            <numerusform>Install %Ln archive into %1?</numerusform>
            <numerusform>Install %Ln archives into %1?</numerusform>
        </translation>
    </message>
    <message>
        <source>Comparing the archives with the library…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To install: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be installed: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::InstallSession</name>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing %1 (%2 of %3)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelling: the archive being installed is rolled back…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Taking back the last install…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The library cannot be changed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no install to take back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln package(s) uninstalled, latest first.</source>
        <translation>
            <numerusform>%Ln package uninstalled.</numerusform>
            <numerusform>%Ln packages uninstalled, latest first.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2 removed, %3 put back, %4 kept because it changed since.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not done: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation type="unfinished">
            <numerusform>%1 and %Ln more</numerusform>
            <numerusform>%1 and %Ln more</numerusform>
        </translation>
    </message>
    <message>
        <source>an unknown time</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Take back the install of %Ln package(s) into %1 on %2: %3? They are uninstalled, latest first: the files they replaced are put back, and a file changed since the install is kept.</source>
        <translation>
            <numerusform>Take back the install of %Ln package into %1 on %2: %3? It is uninstalled: the files it replaced are put back, and a file changed since the install is kept.</numerusform>
            <numerusform>Take back the install of %Ln packages into %1 on %2: %3? They are uninstalled, latest first: the files they replaced are put back, and a file changed since the install is kept.</numerusform>
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
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::InstalledView</name>
    <message>
        <source>%1 is no longer installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 uninstalled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) removed.</source>
        <translation>
            <numerusform>%Ln file removed.</numerusform>
            <numerusform>%Ln files removed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) put back as they were before.</source>
        <translation>
            <numerusform>%Ln file put back as it was before.</numerusform>
            <numerusform>%Ln files put back as they were before.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) left to a later package that wrote over them.</source>
        <translation>
            <numerusform>%Ln file left to a later package that wrote over it.</numerusform>
            <numerusform>%Ln files left to a later package that wrote over them.</numerusform>
        </translation>
    </message>
    <message>
        <source>Kept, changed since the install: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kept as it is: %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not done: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the library %1…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The library folder %1 does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The library cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln package(s) installed in %1</source>
        <translation>
            <numerusform>%Ln package installed in %1</numerusform>
            <numerusform>%Ln packages installed in %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot be read, its package is unknown and left alone: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Uninstall %Ln package(s): %1? The files installed from them are removed from the library and the files they replaced are put back; a file changed since the install is kept.</source>
        <translation>
            <numerusform>Uninstall %Ln package: %1? The files installed from it are removed from the library and the files they replaced are put back; a file changed since the install is kept.</numerusform>
            <numerusform>Uninstall %Ln packages: %1? The files installed from them are removed from the library and the files they replaced are put back; a file changed since the install is kept.</numerusform>
        </translation>
    </message>
    <message>
        <source>Uninstall</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uninstalling…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The library cannot be changed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not as installed: %2. %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verifying every installed file…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Every file of %Ln package(s) is as its install wrote it.</source>
        <translation>
            <numerusform>Every file of the package is as its install wrote it.</numerusform>
            <numerusform>Every file of %Ln packages is as its install wrote it.</numerusform>
        </translation>
    </message>
    <message>
        <source>not as installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Repair %Ln package(s): %1? Their changed and missing files are written again from their archives; a version of yours is first kept in the library&apos;s records folder.</source>
        <translation>
            <numerusform>Repair %Ln package: %1? Its changed and missing files are written again from its archive; a version of yours is first kept in the library&apos;s records folder.</numerusform>
            <numerusform>Repair %Ln packages: %1? Their changed and missing files are written again from their archives; a version of yours is first kept in the library&apos;s records folder.</numerusform>
        </translation>
    </message>
    <message>
        <source>Repair</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repairing…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 not repaired: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1: %Ln file(s) written again.</source>
        <translation>
            <numerusform>%1: %Ln file written again.</numerusform>
            <numerusform>%1: %Ln files written again.</numerusform>
        </translation>
    </message>
    <message>
        <source>Your version of %1 is kept as %2</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by Verdict</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List Order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analyse Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forgets the folders chosen by hand and looks into the archive afresh</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::MainWindow</name>
    <message>
        <source>Filter archives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Escape clears the filter</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::PreviewDetailsModel</name>
    <message>
        <source>%1 — cannot be installed: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>replaces the file of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Action</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — already installed and unchanged: left alone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>written before by %1, earlier in this install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>replaces a file no package installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the same as the file of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>written again by %1, later in this install</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
