#pragma once

namespace norvale {

class ImageList;
class TreeControl;
struct AppSettings;

// After SmallLights has changed: puts the new set's image positions into the
// six light fields, then gives every node that shows a light of the old set
// (wasSmall) the same light of the new set, as image and selected image.
// Nodes showing anything else, folders included, keep their images; the
// gray light is the same picture in both sets and stays.
void SwitchStatusLights(AppSettings& settings, bool wasSmall, TreeControl& tree,
                        const ImageList& images);

} // namespace norvale
