#include "mesh/mesh_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

namespace {

std::string extension_of(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

uint32_t colour_key(uint8_t red, uint8_t green, uint8_t blue) { return (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue; }

std::string material_name(uint32_t key, const MeshColourNames* names) {
  if (names) {
    const uint8_t* roles[3] = {names->face, names->side, names->bevel};
    const char* words[3] = {"face", "side", "bevel"};
    for (int i = 0; i < 3; ++i)
      if (key == colour_key(roles[i][0], roles[i][1], roles[i][2])) return words[i];
  }
  char text[16];
  std::snprintf(text, sizeof text, "colour_%06X", unsigned(key));
  return text;
}

// The scene: one material per colour, one mesh per (object, colour), one node per object.
std::unique_ptr<aiScene> build_scene(const MeshModel& m, const MeshColourNames* names) {
  std::map<uint32_t, unsigned> material_of;
  std::vector<uint32_t> colours;
  std::map<std::pair<const ModelObject*, unsigned>, std::vector<int32_t>> groups;
  std::vector<const ModelObject*> object_order;
  for (int32_t f = 0; f < m.face_count; ++f) {
    const ModelFace& face = m.faces[size_t(f)];
    uint32_t key = colour_key(face.red, face.green, face.blue);
    auto it = material_of.find(key);
    if (it == material_of.end()) {
      it = material_of.emplace(key, unsigned(colours.size())).first;
      colours.push_back(key);
    }
    const ModelObject* owner = m.face_owner(f);
    auto g = groups.find({owner, it->second});
    if (g == groups.end()) {
      bool seen = false;
      for (const ModelObject* o : object_order) seen = seen || o == owner;
      if (!seen) object_order.push_back(owner);
      g = groups.emplace(std::make_pair(owner, it->second), std::vector<int32_t>{}).first;
    }
    g->second.push_back(f);
  }

  std::unique_ptr<aiScene> scene(new aiScene());
  scene->mRootNode = new aiNode("text");
  if (colours.empty()) colours.push_back(0xC0C0C0);  // formats want at least one material
  scene->mNumMaterials = unsigned(colours.size());
  scene->mMaterials = new aiMaterial*[colours.size()];
  for (size_t i = 0; i < colours.size(); ++i) {
    aiMaterial* mat = new aiMaterial();
    scene->mMaterials[i] = mat;
    aiString name(material_name(colours[i], names));
    mat->AddProperty(&name, AI_MATKEY_NAME);
    aiColor3D c(float((colours[i] >> 16) & 255) / 255.0f, float((colours[i] >> 8) & 255) / 255.0f,
                float(colours[i] & 255) / 255.0f);
    mat->AddProperty(&c, 1, AI_MATKEY_COLOR_DIFFUSE);
  }

  scene->mNumMeshes = unsigned(groups.size());
  scene->mMeshes = new aiMesh*[groups.size() ? groups.size() : 1];
  std::map<const ModelObject*, std::vector<unsigned>> meshes_of;
  unsigned mi = 0;
  for (const auto& g : groups) {
    aiMesh* mesh = new aiMesh();
    scene->mMeshes[mi] = mesh;
    meshes_of[g.first.first].push_back(mi++);
    mesh->mMaterialIndex = g.first.second;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    std::map<int32_t, unsigned> local;
    for (int32_t f : g.second)
      for (int k = 0; k < 3; ++k) local.emplace(m.faces[size_t(f)].corner[k], 0u);
    unsigned n = 0;
    for (auto& l : local) l.second = n++;
    mesh->mNumVertices = n;
    mesh->mVertices = new aiVector3D[n];
    for (const auto& l : local) {
      const ModelVertex& v = m.vertex(l.first);
      mesh->mVertices[l.second] = aiVector3D(ai_real(v.x / kMeshExportUnit), ai_real(v.y / kMeshExportUnit),
                                             ai_real(v.z / kMeshExportUnit));
    }
    mesh->mNumFaces = unsigned(g.second.size());
    mesh->mFaces = new aiFace[g.second.size()];
    for (size_t i = 0; i < g.second.size(); ++i) {
      aiFace& face = mesh->mFaces[i];
      face.mNumIndices = 3;
      face.mIndices = new unsigned[3];
      for (int k = 0; k < 3; ++k) face.mIndices[k] = local[m.faces[size_t(g.second[i])].corner[k]];
    }
  }

  // Nodes: the objects that own faces, each with its children among the model's objects.
  std::vector<aiNode*> children;
  for (size_t oi = 0; oi < object_order.size(); ++oi) {
    const ModelObject* o = object_order[oi];
    std::string name = o && o->name[0] ? std::string(o->name, strnlen(o->name, sizeof o->name)) : "object" + std::to_string(oi + 1);
    aiNode* node = new aiNode(name);
    const std::vector<unsigned>& ms = meshes_of[o];
    node->mNumMeshes = unsigned(ms.size());
    node->mMeshes = new unsigned[ms.size()];
    for (size_t i = 0; i < ms.size(); ++i) node->mMeshes[i] = ms[i];
    std::vector<aiNode*> kids;
    for (size_t k = 0; k < m.objects.size(); ++k)
      if (o && m.parent_of[k] == o) {
        const ModelObject& child = m.objects[k];
        aiNode* c = new aiNode(child.name[0] ? std::string(child.name, strnlen(child.name, sizeof child.name)) : "point");
        c->mTransformation = aiMatrix4x4(aiVector3D(1, 1, 1), aiQuaternion(),
                                         aiVector3D(ai_real((child.ref_x - o->ref_x) / kMeshExportUnit),
                                                    ai_real((child.ref_y - o->ref_y) / kMeshExportUnit),
                                                    ai_real((child.ref_z - o->ref_z) / kMeshExportUnit)));
        kids.push_back(c);
      }
    if (!kids.empty()) node->addChildren(unsigned(kids.size()), kids.data());
    children.push_back(node);
  }
  if (!children.empty()) scene->mRootNode->addChildren(unsigned(children.size()), children.data());
  return scene;
}

}  // namespace

const char* mesh_export_format(const std::string& path) {
  std::string ext = extension_of(path);
  if (ext == "obj") return "obj";
  if (ext == "ply") return "plyb";
  if (ext == "stl") return "stlb";
  if (ext == "gltf") return "gltf2";
  if (ext == "glb") return "glb2";
  return nullptr;
}

std::string mesh_export_companion(const std::string& path) {
  std::string ext = extension_of(path);
  std::string stem = path.substr(0, path.size() - ext.size() - 1);
  if (ext == "obj") return stem + ".mtl";
  if (ext == "gltf") return stem + ".bin";
  return "";
}

bool mesh_export(const MeshModel& m, const std::string& path, const MeshColourNames* names, std::string* error) {
  const char* format = mesh_export_format(path);
  if (!format) {
    if (error) *error = "unknown mesh format (use .obj, .ply, .stl, .gltf or .glb): " + path;
    return false;
  }
  try {
    std::unique_ptr<aiScene> scene = build_scene(m, names);
    Assimp::Exporter exporter;
    if (exporter.Export(scene.get(), format, path) != aiReturn_SUCCESS) {
      if (error) *error = std::string("cannot write ") + path + ": " + exporter.GetErrorString();
      return false;
    }
    return true;
  } catch (const std::bad_alloc&) {
    if (error) *error = "out of memory writing " + path;
    return false;
  }
}
