"""Prints a JSON summary of a SWF file as parsed by yaswfp: the header and, per tag, its name,
its length, whether it parsed to exactly that length, and its fields.

Two parser faults are patched first: its bit reader keeps stale bits across byte-level reads
(the new style arrays inside a shape), and its DefineBitsJPEG2 handler insists that the image
data starts with FF D8, while SWF files traditionally start it with the marker pair FF D9 FF D8.
"""
import json
import sys

from yaswfp import helpers, swfparser

lengths = []


class RecordingController(swfparser.ReadQuantityController):
    def __init__(self, src, should):
        super().__init__(src, should)
        lengths.append(should)


class AlignedBitConsumer(helpers.BitConsumer):
    def __init__(self, src):
        super().__init__(src)
        self._pos = src.tell()

    def u_get(self, quant):
        if self._count and self.src.tell() != self._pos:
            self._count = 0
        value = super().u_get(quant)
        self._pos = self.src.tell()
        return value


def definebitsjpeg2(self):
    obj = swfparser._make_object("DefineBitsJPEG2")
    obj.CharacterID = helpers.unpack_ui16(self._src)
    obj.ImageData = self._src.read(self._src.guard - 2)
    return obj


def style_count(src):
    count = helpers.unpack_ui8(src)
    return helpers.unpack_ui16(src) if count == 0xFF else count


def morph_gradient_record(self):
    obj = swfparser._make_object("MorphGradRecord")
    obj.StartRatio = helpers.unpack_ui8(self._src)
    obj.StartColor = self._get_struct_rgba()
    obj.EndRatio = helpers.unpack_ui8(self._src)
    obj.EndColor = self._get_struct_rgba()
    return obj


def morph_fill_style(self):
    obj = swfparser._make_object("MorphFillStyle")
    obj.FillStyleType = kind = helpers.unpack_ui8(self._src)
    if kind == 0x00:
        obj.StartColor = self._get_struct_rgba()
        obj.EndColor = self._get_struct_rgba()
    elif kind in (0x10, 0x12):
        obj.StartGradientMatrix = self._get_struct_matrix()
        obj.EndGradientMatrix = self._get_struct_matrix()
        obj.NumGradients = helpers.unpack_ui8(self._src)
        obj.GradientRecords = [morph_gradient_record(self) for _ in range(obj.NumGradients)]
    else:
        raise ValueError("morph fill style type %d" % kind)
    return obj


def morph_line_style(self):
    obj = swfparser._make_object("MorphLineStyle")
    obj.StartWidth = helpers.unpack_ui16(self._src)
    obj.EndWidth = helpers.unpack_ui16(self._src)
    obj.StartColor = self._get_struct_rgba()
    obj.EndColor = self._get_struct_rgba()
    return obj


# The parser knows only the later DefineMorphShape2; the first version is read here with its own
# structures. EndEdgesAtOffset tells whether the Offset field points where the end edges begin.
def definemorphshape(self):
    obj = swfparser._make_object("DefineMorphShape")
    obj.CharacterId = helpers.unpack_ui16(self._src)
    obj.StartBounds = self._get_struct_rect()
    obj.EndBounds = self._get_struct_rect()
    obj.Offset = helpers.unpack_ui32(self._src)
    offset_base = self._src.tell()
    obj.MorphFillStyles = [morph_fill_style(self) for _ in range(style_count(self._src))]
    obj.MorphLineStyles = [morph_line_style(self) for _ in range(style_count(self._src))]
    obj.StartEdges = self._get_struct_shape()
    obj.EndEdgesAtOffset = self._src.tell() == offset_base + obj.Offset
    obj.EndEdges = self._get_struct_shape()
    return obj


swfparser.ReadQuantityController = RecordingController
swfparser.BitConsumer = AlignedBitConsumer
swfparser.SWFParser._handle_tag_definebitsjpeg2 = definebitsjpeg2
swfparser.SWFParser._handle_tag_definemorphshape = definemorphshape


def plain(value):
    if isinstance(value, (bytes, bytearray)):
        return len(value)
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (int, float, str)) or value is None:
        return value
    fields = {k: plain(v) for k, v in vars(value).items() if not k.startswith("_")}
    fields.setdefault("name", type(value).__name__)
    return fields


def main(path):
    parsed = swfparser.parsefile(path)
    tags = []
    next_length = 0
    for tag in parsed.tags:
        kind = type(tag).__name__
        fields = plain(tag)
        if kind == "UnknownObject":
            length = len(tag.raw_payload)
        else:
            length = lengths[next_length]
            next_length += 1
        tags.append({"name": tag.name, "length": length, "ok": kind not in ("UnknownObject", "FailingObject"),
                     "fields": fields})
    print(json.dumps({"header": plain(parsed.header), "tags": tags}))


if __name__ == "__main__":
    main(sys.argv[1])
