// The SVG and metafile readers, offered to the clipboard's loader through core::PathImporters.
#pragma once

namespace importer {

// Installs the readers; done once at start-up (tests: in their fixtures).
void InstallPathImporters();

}  // namespace importer
