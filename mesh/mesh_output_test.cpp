// The mesh files read back through assimp's importer, and the picture's view.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "mesh/mesh_checks.h"
#include "mesh/mesh_export.h"
#include "mesh/mesh_model.h"
#include "mesh/mesh_render.h"

// OSMesa keeps a few allocations until the process ends; not leaks of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }

namespace {

const uint8_t kFront[3] = {220, 30, 30}, kSide[3] = {30, 200, 30}, kBack[3] = {30, 30, 220};

// A letter object "O1-C" holding a box with a hole, 6400 deep: front red, sides green,
// back blue, with a follow point object beneath it.
void make_letter(MeshModel& m) {
  m.iface.create_object(*m.iface.parent_object);
  ModelObject* letter = m.current_object;
  std::strcpy(letter->name, "O1-C");
  m.iface.create_object(letter);
  std::strcpy(m.current_object->name, "F.Pt.");
  m.current_object = letter;
  draw_contours(m, {{{0, 0}, {16000, 0}, {16000, 22400}, {0, 22400}}, {{4000, 4000}, {12000, 4000}, {12000, 18400}, {4000, 18400}}});
  ASSERT_GE(make_solid(m, 6400), 0);
  for (ModelFace& f : m.faces) {
    int32_t x = m.vertex(f.corner[0]).x + m.vertex(f.corner[1]).x + m.vertex(f.corner[2]).x;
    const uint8_t* c = x == 0 ? kFront : x == -3 * 6400 ? kBack : kSide;
    f.red = c[0], f.green = c[1], f.blue = c[2];
  }
}

std::string scratch(const std::string& name) {
  return ::testing::TempDir() + "zel_mesh_output_" + std::to_string(getpid()) + "_" + name;
}

TEST(MeshOutput, FilesReadBackWithEveryTriangle) {
  MeshModel m;
  make_letter(m);
  ASSERT_TRUE(check_closed_surface(m).closed());
  MeshColourNames names;
  std::memcpy(names.face, kFront, 3), std::memcpy(names.side, kSide, 3), std::memcpy(names.bevel, kBack, 3);
  struct Format {
    const char* file;
    bool materials, nodes;  // the format keeps material names / the objects' node names
  };
  const Format formats[] = {{"letter.obj", true, false}, {"letter.ply", false, false}, {"letter.stl", false, false},
                            {"letter.gltf", true, true},  {"letter.glb", true, true}};
  for (const Format& f : formats) {
    SCOPED_TRACE(f.file);
    std::string path = scratch(f.file), error;
    ASSERT_TRUE(mesh_export(m, path, &names, &error)) << error;
    std::string companion = mesh_export_companion(path);  // read by the importer with the file
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    unsigned triangles = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i)
      for (unsigned k = 0; k < scene->mMeshes[i]->mNumFaces; ++k) triangles += scene->mMeshes[i]->mFaces[k].mNumIndices == 3;
    EXPECT_EQ(triangles, unsigned(m.face_count));
    if (f.materials) {
      std::set<std::string> found;
      for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        aiString name;
        aiColor3D c;
        scene->mMaterials[i]->Get(AI_MATKEY_NAME, name);
        if (scene->mMaterials[i]->Get(AI_MATKEY_COLOR_DIFFUSE, c) == aiReturn_SUCCESS && std::string(name.C_Str()) == "face") {
          EXPECT_NEAR(c.r, 220 / 255.0, 1e-3);
        }
        found.insert(name.C_Str());
      }
      for (const char* want : {"face", "side", "bevel"}) EXPECT_TRUE(found.count(want)) << want;
    }
    for (const char* node : {"O1-C", "F.Pt."}) EXPECT_TRUE(!f.nodes || scene->mRootNode->FindNode(node)) << node;
    std::remove(path.c_str());
    if (!companion.empty()) std::remove(companion.c_str());
  }
}

// The picture looks at the front (+X) from the left: red front and green sides show, the
// blue back does not, and the corners keep the background. Seen from the back, the other
// way round.
TEST(MeshOutput, PictureShowsTheSideItLooksAt) {
  MeshModel m;
  make_letter(m);
  const int w = 160, h = 90;
  for (bool from_back : {false, true}) {
    SCOPED_TRACE(from_back ? "from the back" : "from the front");
    std::string error;
    std::vector<uint8_t> rgb = mesh_render(m, w, h, &error, from_back);
    ASSERT_EQ(rgb.size(), size_t(w * h * 3)) << error;
    long red = 0, green = 0, blue = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
      int r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
      red += r > 2 * g && r > 2 * b;
      green += g > 2 * r && g > 2 * b;
      blue += b > 2 * r && b > 2 * g;
    }
    EXPECT_GT(from_back ? blue : red, w * h / 20);
    EXPECT_EQ(from_back ? red : blue, 0);
    EXPECT_GT(green, w * h / 100);
    for (size_t corner : {size_t(0), size_t(w - 1), size_t(w * (h - 1)), size_t(w * h - 1)})
      EXPECT_TRUE(rgb[corner * 3] > 200 && rgb[corner * 3 + 1] > 200 && rgb[corner * 3 + 2] > 200);
  }
  std::string error;
  EXPECT_TRUE(mesh_render(m, 0, 10, &error).empty());
}

}  // namespace
