// RefreshConverted's work for a 512 x 648 24-bit picture: conversion and
// temporary file, loading it as a picture, the screen copy, and the
// stretched drawing. Needs a display (run under xvfb-run).
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/PreviewGeometry.h"
#include "image/LogoConversion.h"
#include "image/wx/PictureBitmap.h"

namespace {

// A 512 x 648 24-bit picture with gradients in every channel.
std::string WritePicture(const std::string& path) {
  const int w = 512, h = 648, rowBytes = w * 3;
  std::vector<unsigned char> file(54 + static_cast<std::size_t>(rowBytes) * h);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &file[54 + static_cast<std::size_t>(y) * rowBytes + x * 3];
      p[0] = static_cast<unsigned char>(x / 2);
      p[1] = static_cast<unsigned char>(y * 255 / h);
      p[2] = static_cast<unsigned char>((x ^ y) & 0xFF);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  return path;
}

void BM_RefreshConverted(benchmark::State& state) {
  const std::string source = WritePicture("bench-preview-source.bmp");
  brindle::PictureBitmap picture(0xFFFFFF), display(0xFFFFFF);
  wxBitmap window(1046, 618, 24);
  for (auto _ : state) {
    const std::string shown = brindle::MakePreviewFile(source, 1, 5);
    brindle::PictureBitmap loaded(0xFFFFFF);
    if (!loaded.LoadPicture(shown)) state.SkipWithError("the converted picture did not load");
    picture.TakeFrom(loaded);
    display.CopyFrom(picture);
    const brindle::Size drawn = brindle::PreviewDrawnSize(512, 648);
    wxMemoryDC target(window);
    wxMemoryDC source(const_cast<wxBitmap&>(display.Bitmap()));
    target.StretchBlit(704, 28, drawn.width, drawn.height, &source, 0, 0, 512, 648);
  }
  std::remove(source.c_str());
}
BENCHMARK(BM_RefreshConverted)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "needs a display: run under xvfb-run\n");
    return 1;
  }
  wxInitAllImageHandlers();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  wxEntryCleanup();
  return 0;
}
