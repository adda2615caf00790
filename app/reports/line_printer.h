// The printer as the reports see it: page orientation, font, the horizontal
// position of the next line, lines of text, and the end or abort of one
// document. A backend continues onto a new page by itself when a page is
// full; the reports never break pages and print no page headers.
#pragma once

#include <string>

#include "datafile/result.h"

namespace plots {
struct PlotData;
}

namespace trelm {

// The printer's orientation codes: portrait 1, landscape 2.
enum class Orientation { Portrait = 1, Landscape = 2 };

class LinePrinter {
public:
    virtual ~LinePrinter() = default;

    virtual Orientation orientation() const = 0;
    // Takes effect for the next document, or the next page of a document
    // in progress.
    virtual void setOrientation(Orientation orientation) = 0;

    virtual void setFontName(const std::string &face) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool bold) = 0;

    // Where the next printed text starts, in twips (1/1440 inch) from the
    // left edge of the printable area.
    virtual void setLeft(int twips) = 0;
    // Prints the text at the left position and moves to the next line.
    virtual void printText(const std::string &text) = 0;
    // Moves one line down at the current font's line height, printing nothing.
    virtual void advanceLine() = 0;

    // Names the next document (a print job's name, a PDF's title). A
    // backend without names ignores it.
    virtual void setDocumentName(const std::string &) {}
    // Whether `text` printed at the left position in the current font ends
    // inside the page's width. A backend without widths takes every text.
    virtual bool fits(const std::string &) const { return true; }

    // Draws the plots of an event over the whole printable area of a page
    // of its own in the current document. A backend without pictures
    // refuses.
    virtual Status printPlots(const plots::PlotData &) {
        return Error{"plots", "this output cannot hold pictures; print them to a PDF file or a printer"};
    }

    // Hands the composed document to its destination. Fails, naming the
    // printer or file and the reason, when any step of the document failed;
    // nothing is then presented as a complete document.
    virtual Status endDocument() = 0;
    // Throws away the document being composed; nothing of it is output.
    // Does nothing when no document is in progress.
    virtual void abortDocument() = 0;
};

} // namespace trelm
