// The fixed text of the product's two initialization files, cut where the
// setup inserts its values.
#ifndef VALDORINE_CONFIG_INITIALIZATION_TEMPLATES_H
#define VALDORINE_CONFIG_INITIALIZATION_TEMPLATES_H

#include <string>
#include <vector>

namespace config {

// A file is pieces[0], inserted value 1, pieces[1], ..., pieces.back(). The
// pieces are plain ASCII with CR LF line ends.
using TemplatePieces = std::vector<std::string>;

// Valdorine.xml: two pieces around the first tab's Directory value (the start
// folder).
const TemplatePieces& MainFileTemplate();

// ValdorineIni.xml: five pieces around the texts of IsOnUSB, DefaultDirectory,
// NewTabDirectory and TempPath.
const TemplatePieces& SettingsFileTemplate();

}  // namespace config

#endif  // VALDORINE_CONFIG_INITIALIZATION_TEMPLATES_H
