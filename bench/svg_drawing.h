// SVG documents the SVG benchmarks share: illustrations of the kind drawing programs export, made
// by a seeded generator so that every run reads the same bytes. A scene is a background, a few
// large gradient shapes and many small objects, each a group placed by a transform holding a
// filled and stroked body of cubic curves, details (open strokes, polygons, rectangles, lines) and
// now and then a gradient fill; path data mixes absolute and relative commands the way exporters
// write them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace benchsupport {

struct SvgScene {
    const char *name;  // "small", "medium", "large"
    int width;         // pixels
    int height;
    int objects;
};

// Three sizes of one kind of drawing, from a page-sized sketch to a dense poster.
inline constexpr SvgScene kSvgScenes[] = {
    {"small", 800, 600, 150},
    {"medium", 1200, 900, 1500},
    {"large", 1600, 1200, 6000},
};

class SvgSceneWriter {
public:
    explicit SvgSceneWriter(unsigned seed) : random_(seed) {}

    std::string Write(const SvgScene &scene)
    {
        std::string out;
        Printf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                    "width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n",
               scene.width, scene.height, scene.width, scene.height);
        WriteGradients(out);
        Printf(out, "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"url(#sky)\"/>\n", scene.width,
               scene.height);
        for (int i = 0; i < 6; ++i) {
            out += "<path fill=\"url(#g" + std::to_string(i % kGradients) + ")\" fill-opacity=\"0.6\" d=\"";
            Blob(out, Uniform(0, scene.width), Uniform(0, scene.height), Uniform(120, 300), 10, false);
            out += "\"/>\n";
        }
        for (int i = 0; i < scene.objects; ++i) {
            WriteObject(out, scene, i);
        }
        out += "</svg>\n";
        return out;
    }

private:
    static constexpr int kGradients = 12;

    template <typename... Args>
    static void Printf(std::string &out, const char *format, Args... args)
    {
        char buffer[512];
        const int length = std::snprintf(buffer, sizeof buffer, format, args...);
        out.append(buffer, static_cast<size_t>(std::clamp<int>(length, 0, sizeof buffer - 1)));
    }

    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    void Colour(std::string &out)
    {
        Printf(out, "#%02x%02x%02x", Pick(256), Pick(256), Pick(256));
    }

    void WriteGradients(std::string &out)
    {
        out += "<defs>\n<linearGradient id=\"sky\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
               "<stop offset=\"0\" stop-color=\"#bfd9f2\"/><stop offset=\"1\" stop-color=\"#ffffff\"/>"
               "</linearGradient>\n";
        for (int i = 0; i < kGradients; ++i) {
            const bool radial = i % 3 == 0;
            Printf(out, radial ? "<radialGradient id=\"g%d\" cx=\"0.4\" cy=\"0.4\" r=\"0.6\">"
                               : "<linearGradient id=\"g%d\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"%.2f\">",
                   i, Uniform(0, 1));
            const int stops = 2 + i % 3;
            for (int s = 0; s < stops; ++s) {
                Printf(out, "<stop offset=\"%.2f\" style=\"stop-color:", static_cast<double>(s) / (stops - 1));
                Colour(out);
                out += "\"/>";
            }
            out += radial ? "</radialGradient>\n" : "</linearGradient>\n";
        }
        out += "</defs>\n";
    }

    // A closed rounded outline of `segments` cubic curves around (cx, cy), in absolute or relative
    // commands, each corner's handles in line so the outline is smooth.
    void Blob(std::string &out, double cx, double cy, double radius, int segments, bool relative)
    {
        double x[33], y[33], tx[33], ty[33];
        for (int k = 0; k <= segments; ++k) {
            const double angle = 2 * M_PI * (k % segments) / segments;
            if (k < segments) {
                const double r = radius * Uniform(0.7, 1.15);
                x[k] = cx + r * std::cos(angle);
                y[k] = cy + r * std::sin(angle);
                const double handle = r * 0.5 * std::tan(M_PI / (2 * segments)) * 1.3;
                tx[k] = -std::sin(angle) * handle;
                ty[k] = std::cos(angle) * handle;
            } else {
                x[k] = x[0], y[k] = y[0], tx[k] = tx[0], ty[k] = ty[0];
            }
        }
        Printf(out, "M%.2f,%.2f", x[0], y[0]);
        for (int k = 1; k <= segments; ++k) {
            const double bx = relative ? x[k - 1] : 0;
            const double by = relative ? y[k - 1] : 0;
            Printf(out, relative ? "c%.2f,%.2f %.2f,%.2f %.2f,%.2f" : "C%.2f,%.2f %.2f,%.2f %.2f,%.2f",
                   x[k - 1] + tx[k - 1] - bx, y[k - 1] + ty[k - 1] - by, x[k] - tx[k] - bx, y[k] - ty[k] - by,
                   x[k] - bx, y[k] - by);
        }
        out += "z";
    }

    // An open wavy stroke of lines and smooth curves.
    void Squiggle(std::string &out, double length)
    {
        Printf(out, "M%.2f,%.2f", Uniform(-length, 0), Uniform(-length / 2, length / 2));
        const int pieces = 3 + Pick(5);
        for (int k = 0; k < pieces; ++k) {
            const double step = length / pieces;
            switch (k % 3) {
            case 0: Printf(out, "l%.2f,%.2f", step, Uniform(-step, step)); break;
            case 1: Printf(out, "s%.2f,%.2f %.2f,%.2f", step / 2, Uniform(-step, step), step, Uniform(-step, step)); break;
            default: Printf(out, "h%.2fv%.2f", step, Uniform(-step, step)); break;
            }
        }
    }

    void WriteObject(std::string &out, const SvgScene &scene, int index)
    {
        const double size = Uniform(8, 40) * std::sqrt(1200.0 * 900 / (scene.width * scene.height) + 1);
        Printf(out, "<g transform=\"translate(%.2f %.2f) rotate(%.1f) scale(%.3f)\">\n", Uniform(0, scene.width),
               Uniform(0, scene.height), Uniform(0, 360), Uniform(0.6, 1.4));
        if (index % 7 == 0) {
            Printf(out, "<path fill=\"url(#g%d)\" stroke=\"#333333\" stroke-width=\"%.1f\" d=\"", index % kGradients,
                   Uniform(0.5, 2));
        } else {
            out += "<path style=\"fill:";
            Colour(out);
            Printf(out, ";fill-opacity:%.2f;stroke:#1a1a1a;stroke-width:%.1f;stroke-linejoin:round\" d=\"",
                   Uniform(0.5, 1), Uniform(0.5, 3));
        }
        Blob(out, 0, 0, size, 6 + Pick(10), index % 2 == 1);
        out += "\"/>\n";
        const int details = 1 + Pick(4);
        for (int d = 0; d < details; ++d) {
            switch ((index + d) % 5) {
            case 0:
                out += "<path fill=\"none\" stroke=\"";
                Colour(out);
                Printf(out, "\" stroke-width=\"%.1f\" stroke-linecap=\"round\" d=\"", Uniform(0.5, 2.5));
                Squiggle(out, size);
                out += "\"/>\n";
                break;
            case 1:
                out += "<polygon fill=\"";
                Colour(out);
                out += "\" points=\"";
                for (int k = 0; k < 5; ++k) {
                    const double angle = 2 * M_PI * k / 5;
                    const double r = size * (k % 2 ? 0.25 : 0.5);
                    Printf(out, "%.2f,%.2f ", r * std::cos(angle), r * std::sin(angle));
                }
                out += "\"/>\n";
                break;
            case 2:
                Printf(out, "<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" rx=\"2\" fill=\"", -size / 3,
                       -size / 4, size / 1.5, size / 2);
                Colour(out);
                out += "\" stroke=\"#000000\" stroke-width=\"0.8\"/>\n";
                break;
            case 3:
                Printf(out, "<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"#404040\" stroke-width=\"1.2\"/>\n",
                       -size, Uniform(-size, size), size, Uniform(-size, size));
                break;
            default:
                out += "<path fill=\"";
                Colour(out);
                out += "\" d=\"";
                Blob(out, Uniform(-size / 2, size / 2), Uniform(-size / 2, size / 2), size / 4, 4 + Pick(4), true);
                out += "\"/>\n";
                break;
            }
        }
        out += "</g>\n";
    }

    std::mt19937 random_;
};

// Writes the scene once per process into the temporary folder and returns the file's path.
inline std::string SvgSceneFile(const SvgScene &scene)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / (std::string("quillark_bench_") + scene.name + ".svg")).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << SvgSceneWriter(7).Write(scene);
    return path;
}

}  // namespace benchsupport
