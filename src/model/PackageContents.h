#pragma once

#include <string>
#include <vector>

// One media file of a package: the file it is saved from and its path inside
// the package ("Media/x.wav").
struct PackageMedia {
    std::string source;
    std::string name;
};

// Everything a package is written from, taken from the model on the main
// thread so the writer touches no model object.
struct PackageContents {
    std::string documentText;
    std::vector<PackageMedia> media;
};
