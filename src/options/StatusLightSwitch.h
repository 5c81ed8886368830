#pragma once

namespace norvale {

class ImageList;
class TreeControl;
struct AppSettings;

// After SmallLights has changed: puts the new set's image positions into the
// six light fields and has the views redraw. Nodes keep their statuses; the
// view finds each light's picture anew.
void SwitchStatusLights(AppSettings& settings, TreeControl& tree, const ImageList& images);

} // namespace norvale
