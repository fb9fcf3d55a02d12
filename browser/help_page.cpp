// The help page that "Help" opens: the keys, the menus and what each command does.
#include <string>

#include "browser/samples.h"
#include "core/paths.h"
#include "platform/os/device_fs.h"

namespace {

const char kHelpPage[] = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Velloran Help</title>
<style>
body { font-family: sans-serif; max-width: 42em; margin: 1em auto; padding: 0 1em;
       line-height: 1.45; color: #222; }
h1 { color: #00549f; }
h2 { border-bottom: 1px solid #ccc; padding-bottom: .2em; margin-top: 1.6em; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #ccc; padding: .3em .5em; text-align: left; vertical-align: top; }
th { background: #eef3f9; }
kbd { border: 1px solid #999; border-radius: 3px; padding: 0 .3em; background: #f6f6f6; }
</style>
</head>
<body>
<h1>Velloran</h1>
<p>Velloran shows the pictures on your phone: JPEG, BMP and GIF files. You browse a folder as a
grid of thumbnails, open a picture to zoom, pan and turn it, play a folder as a slide show,
record a voice note for a picture, send pictures to other people and make a picture the
background of your Home Screen.</p>
<p>The left softkey opens <b>Menu</b>, the right softkey opens <b>Action</b>. The
<kbd>Back</kbd> key goes back one step.</p>

<h2>Thumbnail view</h2>
<p>Sub-folders come first, then the pictures of the folder. A small note mark on a thumbnail
means the picture has a voice note. The bar at the bottom names the current folder.</p>
<table>
<tr><th>Key</th><th>What it does</th></tr>
<tr><td><kbd>Left</kbd> / <kbd>Right</kbd></td><td>Previous / next entry</td></tr>
<tr><td><kbd>Up</kbd> / <kbd>Down</kbd></td><td>One row up / down</td></tr>
<tr><td>Action key</td><td>Opens the picture, or enters the folder</td></tr>
<tr><td><kbd>0</kbd></td><td>Goes to your home folder</td></tr>
<tr><td><kbd>Back</kbd></td><td>Goes up to the parent folder</td></tr>
</table>

<h2>Image view</h2>
<p>The title shows the number of the picture in the folder and its name, for example
<i>(3)beach</i>.</p>
<table>
<tr><th>Key</th><th>What it does</th></tr>
<tr><td><kbd>Left</kbd> / <kbd>Right</kbd></td><td>Previous / next picture; after the last
picture comes the first again</td></tr>
<tr><td><kbd>Up</kbd> / <kbd>Down</kbd></td><td>Zoom in / zoom out, from 1/8 to 8 times, keeping
the middle of the screen where it is</td></tr>
<tr><td><kbd>0</kbd></td><td>Actual size, centred</td></tr>
<tr><td><kbd>1</kbd> / <kbd>3</kbd></td><td>Turn left / turn right</td></tr>
<tr><td><kbd>2</kbd> <kbd>4</kbd> <kbd>6</kbd> <kbd>8</kbd></td><td>Move the picture up, left,
right, down (hold the key to move faster)</td></tr>
<tr><td><kbd>5</kbd></td><td>Full screen on and off</td></tr>
<tr><td><kbd>Back</kbd></td><td>Leaves full screen; otherwise back to the thumbnails</td></tr>
</table>

<h2>Menu</h2>
<dl>
<dt>Thumbnail View</dt><dd>Shows the folder as a grid of thumbnails.</dd>
<dt>Image View</dt><dd>Shows the selected picture on its own.</dd>
<dt>Tree View</dt><dd>Opens the folder tree: choose a folder to browse, or a picture to open
it.</dd>
<dt>Slide Show</dt><dd>Plays the pictures of the folder one after another with animated
transitions. <kbd>Back</kbd> stops the show.</dd>
<dt>System Info</dt><dd>Shows the memory and storage of the phone.</dd>
<dt>Options &gt; General</dt><dd>How large pictures are loaded (a larger size gives more detail
when you zoom in and takes more memory), and whether thumbnails fill their cells.</dd>
<dt>Options &gt; Slide Show</dt><dd>The transition effect, its speed, how long each picture
stays, whether the show repeats and whether it waits for voice notes.</dd>
<dt>Help</dt><dd>Opens this page.</dd>
<dt>About</dt><dd>Shows the program's name and version.</dd>
<dt>Exit</dt><dd>Closes Velloran. Your settings and the current folder are kept for the next
start.</dd>
</dl>

<h2>Action (thumbnail view)</h2>
<dl>
<dt>Icon Size</dt><dd>2 x 2, 3 x 3 or 4 x 4 thumbnails on a page.</dd>
<dt>Sort by</dt><dd>File Name, File Time or File Size. Folders always come first.</dd>
<dt>Home Screen</dt><dd>Makes the selected picture the background of the Home Screen:
Center, Fit to Screen or Tile. Default brings back the phone's own background.</dd>
<dt>Sound</dt><dd>Record Sound records a voice note for the selected picture; Play Sound plays
it; Delete Sound removes it.</dd>
<dt>Send</dt><dd>Sends the selected picture via E-Mail (as an attachment) or via Infrared to
a phone nearby.</dd>
<dt>Select Folder</dt><dd>Add to My Favorites keeps the current folder in your list of
favourite folders; Edit My Favorites renames, reorders and removes them; Set as Home folder
makes the current folder your home folder; Home and the favourites below it go straight to
that folder.</dd>
<dt>Refresh</dt><dd>Reads the folder again.</dd>
<dt>Delete</dt><dd>Deletes the selected picture, and its voice note, after asking.</dd>
<dt>Properties</dt><dd>Shows the name, size, date and picture size of the selected
picture, and lets you rename it.</dd>
</dl>

<h2>Action (image view)</h2>
<dl>
<dt>Zoom</dt><dd>Actual Image, Zoom In, Zoom Out and Full Screen, as the keys
<kbd>0</kbd>, <kbd>Up</kbd>, <kbd>Down</kbd> and <kbd>5</kbd> do.</dd>
<dt>Rotate</dt><dd>Original, Left or Right. The picture file is never changed; the pictures
you open next are turned the same way until you choose Original.</dd>
<dt>Home Screen, Record Sound, Play Sound, Delete Sound, Properties</dt><dd>As in the
thumbnail view, for the picture shown.</dd>
</dl>

<h2>Sample pictures</h2>
<p>The folder <i>Samples</i> in the program's folder holds a few pictures to try things
with, and the sub-folder <i>Travel</i>. The sunset picture has a voice note.</p>
</body>
</html>
)HTML";

}  // namespace

bool WriteHelpPage(const std::string& path) {
    std::string folder;
    if (ParentFolder(path, &folder) == 1 && !plat::DeviceFs::CreateFolders(folder)) {
        return false;
    }
    return plat::DeviceFs::WriteAtomic(path, kHelpPage);
}
