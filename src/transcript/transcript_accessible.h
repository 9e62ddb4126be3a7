#pragma once

// Makes transcripts readable by screen readers: each one offers the text of
// the lines it shows. Installed once; later calls do nothing.
void InstallTranscriptAccessibility();
