#include "pages.h"

namespace tileserver {
namespace {

const char* const style =
    "<style>body{font-family:sans-serif;margin:12px;background:#f4f6f8;color:#1d2a36}"
    "h1{font-size:20px;color:#0b4f6c}h2{font-size:15px;color:#0b4f6c}"
    "li{margin:3px 0}code{background:#e3e8ec;padding:0 3px}</style>";

std::string wrap(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title + "</title>" +
           style + "</head><body>" + body + "</body></html>";
}

}  // namespace

std::string page(const std::string& name) {
    if (name == "presentation.html")
        return wrap("Lomtra-SAT",
                    "<h1>Lomtra-SAT</h1>"
                    "<p>Lomtra-SAT turns a rectangle of the Earth into one georeferenced satellite "
                    "image that any GIS software can place on its map.</p>"
                    "<h2>How to use it</h2><ol>"
                    "<li>Give the area as latitude and longitude bounds: on the command line, in "
                    "the <code>coordinates</code> of a KML file, or in the four fields of the "
                    "window.</li>"
                    "<li>Choose the zoom level with the slider and the JPEG compression.</li>"
                    "<li>Press <b>START</b> and confirm the number of tiles. The tiles load one "
                    "after another in the browser panel and the preview fills up.</li></ol>"
                    "<h2>Where the output goes</h2>"
                    "<p>The mosaic is written to the folder <code>C:/Lomtra-SAT/</code> (on this "
                    "machine, <code>Lomtra-SAT</code> inside the program's drive-C folder), named "
                    "after the date and time of the run. Beside it lie a world file "
                    "(<code>.jgw</code>) and a projection file (<code>.prj</code>), and the image "
                    "opens in your viewer when the run ends.</p>");
    if (name == "publicite1.html")
        return wrap("Lomtra-SAT - tips",
                    "<h1>Tips</h1><ul>"
                    "<li>Each zoom level doubles the detail and quadruples the number of tiles: "
                    "start small.</li>"
                    "<li>The mosaic is cropped to exactly the area you gave.</li>"
                    "<li>The <code>.jgw</code> and <code>.prj</code> files must stay beside the "
                    "image for GIS software to place it.</li></ul>");
    if (name == "publicite2.html")
        return wrap("Lomtra-SAT - offline",
                    "<h1>Works offline</h1>"
                    "<p>The local tile server <code>lomtra-tileserver</code> serves Earth imagery, "
                    "a test pattern or a folder of your own tiles, so Lomtra-SAT runs without an "
                    "internet connection.</p>"
                    "<p>Run <code>lomtra-tileserver --help</code> to see its options.</p>");
    return {};
}

}  // namespace tileserver
