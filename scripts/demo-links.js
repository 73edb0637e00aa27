// Run by scripts/make-demo-prefix.sh with Wine's cscript: the shortcuts the two programs of
// demo-leftovers.reg put into the Start Menu and on the Desktop, saved through Wine's own shell
// link object as their installers saved them. Their targets do not exist.
var shell = WScript.CreateObject("WScript.Shell");
var files = WScript.CreateObject("Scripting.FileSystemObject");

function folder(path) {
    if (!files.FolderExists(path))
        files.CreateFolder(path);
    return path;
}

function link(where, name, target, workingDirectory, description) {
    var shortcut = shell.CreateShortcut(where + "\\" + name + ".lnk");
    shortcut.TargetPath = target;
    shortcut.WorkingDirectory = workingDirectory;
    shortcut.Description = description;
    shortcut.Save();
}

function makeLinks() {
    var lumen = "C:\\Program Files\\Brightfield\\Lumen Photo Studio";
    var quillpad = "C:\\Program Files\\Quillpad";
    // Wine 8 knows the common Start Menu but not the user's own.
    var programs = shell.SpecialFolders("AllUsersPrograms");
    var desktop = shell.SpecialFolders("Desktop");

    var about = "Edit and organise your photos";
    link(folder(programs + "\\Lumen Photo Studio"), "Lumen Photo Studio 3", lumen + "\\lumenphoto.exe", lumen, about);
    link(desktop, "Lumen Photo Studio 3", lumen + "\\lumenphoto.exe", lumen, about);
    link(folder(programs + "\\Quillpad"), "Quillpad", quillpad + "\\quillpad.exe", quillpad, "Quillpad notes");

    // An installer's read-me link is an Internet shortcut to a local file.
    var readme = files.CreateTextFile(programs + "\\Quillpad\\Read Me.url", true);
    readme.WriteLine("[InternetShortcut]");
    readme.WriteLine("URL=file:///C:/Program%20Files/Quillpad/readme.htm");
    readme.Close();
}

try {
    makeLinks();
} catch (error) {
    // Left uncaught, an error would end cscript with status 0.
    WScript.Echo("could not make the demo shortcuts: error " + error.number);
    WScript.Quit(1);
}
