// The viewer's retained drawing: every static mesh of the scene in GL buffer objects (one vertex
// and one index buffer per mesh, their contents made in parallel), drawn with one glDrawElements
// per material run; a 3DS mesh shaded by its smoothing groups, others flat; skinned meshes are
// drawn by the library from their posed arrays. Without buffer objects in the GL the scene is
// drawn by the library's renderer. Nothing reports failure.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "viewer.h"
#include "vitrail/window.h"
#include "vtrl3ds/normals.h"
#include "vtrl3ds/vector.h"

namespace {

// The buffer-object entry points (OpenGL 1.5), fetched from the context once.
struct BufferCalls {
    PFNGLGENBUFFERSPROC gen = nullptr;
    PFNGLBINDBUFFERPROC bind = nullptr;
    PFNGLBUFFERDATAPROC data = nullptr;
    PFNGLDELETEBUFFERSPROC remove = nullptr;
    bool ok() const { return gen && bind && data && remove; }
};

const BufferCalls& calls() {
    static const BufferCalls c{
        reinterpret_cast<PFNGLGENBUFFERSPROC>(wglGetProcAddress("glGenBuffers")),
        reinterpret_cast<PFNGLBINDBUFFERPROC>(wglGetProcAddress("glBindBuffer")),
        reinterpret_cast<PFNGLBUFFERDATAPROC>(wglGetProcAddress("glBufferData")),
        reinterpret_cast<PFNGLDELETEBUFFERSPROC>(wglGetProcAddress("glDeleteBuffers"))};
    return c;
}

// One vertex as drawn.
struct Vertex {
    T3dpoint position, normal;
    TGLMap map;
};

// Faces drawn together after one material change (material null: the state in force).
struct Run {
    TGL3dsMaterial* material;
    size_t first, count;  // in indices
};

// A mesh's triangles ready for its buffers. Each triangle is drawn flat with the normal of its last
// corner (GL's provoking vertex), so every triangle gets a last corner of its own: one of its
// vertices not yet the last corner of another triangle, rotated to the end (which keeps the
// winding), or else a copy of its last vertex.
struct Built {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<Run> runs;
    bool smooth = false;  // normals per vertex, drawn with smooth shading
};

// A posed mesh (or one with a display list of its own) is drawn by the library.
bool drawnByLibrary(const TGL3dsMesh& m) {
    return !m.FSkinVertex.empty() || m.FDisplayList != 0;
}

// The normal the library draws the triangle at corner f with.
T3dpoint faceNormal(const TGL3dsMesh& m, size_t f) {
    if (f / 3 < m.FaceNormal.size()) return m.FaceNormal[f / 3];
    return CalcNormalVector(m.FVertex[m.FIndices[f]], m.FVertex[m.FIndices[f + 1]],
                            m.FVertex[m.FIndices[f + 2]]);
}

void addTriangle(Built& b, std::vector<char>& last, const uint16_t* c, const T3dpoint& normal) {
    static constexpr int order[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};  // corner 2, 0 or 1 last
    for (const auto& o : order) {
        if (last[c[o[2]]]) continue;
        last[c[o[2]]] = 1;
        b.vertices[c[o[2]]].normal = normal;
        b.indices.insert(b.indices.end(), {c[o[0]], c[o[1]], c[o[2]]});
        return;
    }
    b.vertices.push_back({b.vertices[c[2]].position, normal, b.vertices[c[2]].map});
    b.indices.insert(b.indices.end(), {c[0], c[1], static_cast<uint32_t>(b.vertices.size() - 1)});
}

// Opens a run where the library's renderer applies a material: at a face whose material index
// differs from the face before it (and one run in force before any such face).
void startRun(Built& b, const TGL3dsMesh& m, const TGLAll3dsMesh& model, size_t face, int32_t& matID) {
    if (face < m.FMatID.size() && m.FMatID[face] != matID) {
        matID = m.FMatID[face];
        TGL3dsMaterial* material = static_cast<size_t>(matID) < model.FMaterial.size()
                                       ? model.FMaterial[static_cast<size_t>(matID)]
                                       : nullptr;
        b.runs.push_back({material, b.indices.size(), 0});
    } else if (b.runs.empty()) {
        b.runs.push_back({nullptr, 0, 0});
    }
}

size_t drawnVertices(const TGL3dsMesh& m) {
    return std::min(static_cast<size_t>(std::max(m.FNumVertex, 0)), m.FVertex.size());
}

size_t drawnCorners(const TGL3dsMesh& m) {
    return std::min(static_cast<size_t>(std::max(m.FNumIndices, 0)), m.FIndices.size());
}

// The mesh's drawable triangles in its order, each flat with its face normal.
Built buildFlat(const TGL3dsMesh& m, const TGLAll3dsMesh& model) {
    Built b;
    const size_t vertices = drawnVertices(m), indices = drawnCorners(m);
    b.vertices.resize(vertices);
    for (size_t v = 0; v < vertices; ++v)
        b.vertices[v] = {m.FVertex[v], {0, 0, 0}, v < m.FMapping.size() ? m.FMapping[v] : TGLMap{0, 0}};
    std::vector<char> last(vertices, 0);
    int32_t matID = -1;
    for (size_t f = 0; f + 3 <= indices; f += 3) {
        const uint16_t* c = &m.FIndices[f];
        if (c[0] >= vertices || c[1] >= vertices || c[2] >= vertices) continue;
        startRun(b, m, model, f / 3, matID);
        addTriangle(b, last, c, faceNormal(m, f));
        b.runs.back().count = b.indices.size() - b.runs.back().first;
    }
    return b;
}

// A 3DS mesh's drawable triangles with the normals its smoothing groups give (SmoothingGroupNormals,
// as the glTF export writes them): a vertex is drawn once per distinct normal of its corners.
Built buildSmooth(const TGL3dsMesh& m, const TGLAll3dsMesh& model) {
    Built b;
    b.smooth = true;
    const size_t vertices = drawnVertices(m), indices = drawnCorners(m);
    const std::vector<T3dpoint> normals = SmoothingGroupNormals(m);
    std::vector<int32_t> head(vertices, -1), next;  // per vertex, its drawn copies as a chain
    b.vertices.reserve(vertices), next.reserve(vertices), b.indices.reserve(indices);
    int32_t matID = -1;
    for (size_t f = 0; f + 3 <= indices && f + 3 <= normals.size(); f += 3) {
        const uint16_t* c = &m.FIndices[f];
        if (c[0] >= vertices || c[1] >= vertices || c[2] >= vertices) continue;
        startRun(b, m, model, f / 3, matID);
        for (size_t k = 0; k < 3; ++k) {
            const T3dpoint& n = normals[f + k];
            int32_t e = head[c[k]];
            while (e >= 0 && std::memcmp(&b.vertices[size_t(e)].normal, &n, sizeof n) != 0)
                e = next[size_t(e)];
            if (e < 0) {
                e = static_cast<int32_t>(b.vertices.size());
                b.vertices.push_back(
                    {m.FVertex[c[k]], n, c[k] < m.FMapping.size() ? m.FMapping[c[k]] : TGLMap{0, 0}});
                next.push_back(head[c[k]]);
                head[c[k]] = e;
            }
            b.indices.push_back(static_cast<uint32_t>(e));
        }
        b.runs.back().count = b.indices.size() - b.runs.back().first;
    }
    return b;
}

Built build(const TGL3dsMesh& m, const TGLAll3dsMesh& model) {
    return model.FType == Mesh3DS ? buildSmooth(m, model) : buildFlat(m, model);
}

// Every static mesh's triangles, made by as many threads as the machine has cores (meshes taken
// in turn), before the first frame; the GL calls stay on the drawing thread.
std::vector<std::optional<Built>> buildAll(const TGLAll3dsMesh& model) {
    std::vector<std::optional<Built>> built(model.FMesh.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < built.size(); i = next++)
            if (const TGL3dsMesh* m = model.FMesh[i]; m && !drawnByLibrary(*m)) built[i] = build(*m, model);
    };
    const size_t cores = std::max(std::thread::hardware_concurrency(), 1u);
    std::vector<std::thread> threads;  // this thread works too
    for (size_t t = 1; t < std::min(cores, built.size()); ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    return built;
}

template <typename T>
void upload(GLenum target, GLuint name, const std::vector<T>& data) {
    calls().bind(target, name);
    calls().data(target, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data(), GL_STATIC_DRAW);
}

void uploadMesh(TViewerMeshBuffers& out, const Built& b) {
    GLuint names[2] = {0, 0};
    calls().gen(2, names);
    out.VertexBuffer = names[0], out.IndexBuffer = names[1];
    upload(GL_ARRAY_BUFFER, out.VertexBuffer, b.vertices);
    // Sixteen-bit indices where the mesh's vertices allow them: half the bytes to fetch.
    out.IndexType = b.vertices.size() <= 0x10000 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    if (out.IndexType == GL_UNSIGNED_SHORT)
        upload(GL_ELEMENT_ARRAY_BUFFER, out.IndexBuffer,
               std::vector<uint16_t>(b.indices.begin(), b.indices.end()));
    else
        upload(GL_ELEMENT_ARRAY_BUFFER, out.IndexBuffer, b.indices);
    const size_t size = out.IndexType == GL_UNSIGNED_SHORT ? 2 : 4;
    out.Smooth = b.smooth;
    for (const Run& r : b.runs)
        if (r.count > 0) out.Runs.push_back({r.material, r.first * size, static_cast<int32_t>(r.count)});
}

void drawMesh(const TViewerMeshBuffers& m) {
    calls().bind(GL_ARRAY_BUFFER, m.VertexBuffer);
    calls().bind(GL_ELEMENT_ARRAY_BUFFER, m.IndexBuffer);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glNormalPointer(GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, normal)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, map)));
    for (const TViewerMeshBuffers::Run& r : m.Runs) {
        if (r.Material) r.Material->Apply();
        glDrawElements(GL_TRIANGLES, r.Count, m.IndexType, reinterpret_cast<const void*>(r.Offset));
    }
}

}  // namespace

TViewerBuffers::~TViewerBuffers() {
    if (!calls().ok()) return;
    for (const TViewerMeshBuffers& m : Meshes) {
        const GLuint names[2] = {m.VertexBuffer, m.IndexBuffer};
        calls().remove(2, names);
    }
}

std::unique_ptr<TViewerBuffers> BuildViewerBuffers(const TGLAll3dsMesh& Model) {
    if (!calls().ok()) return nullptr;
    auto buffers = std::make_unique<TViewerBuffers>();
    buffers->Meshes.resize(Model.FMesh.size());
    const std::vector<std::optional<Built>> built = buildAll(Model);
    for (size_t i = 0; i < built.size(); ++i)
        if (built[i]) uploadMesh(buffers->Meshes[i], *built[i]);
    calls().bind(GL_ARRAY_BUFFER, 0);
    calls().bind(GL_ELEMENT_ARRAY_BUFFER, 0);
    return buffers;
}

TViewerMeshDrawing::TViewerMeshDrawing(TGLAll3dsMesh& Model, const TViewerBuffers* Buffers)
    : FModel(Model), FBuffers(Buffers) {
    glGetIntegerv(GL_SHADE_MODEL, &FShading);
    if (!FBuffers) return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

TViewerMeshDrawing::~TViewerMeshDrawing() {
    if (!FBuffers) return;
    calls().bind(GL_ARRAY_BUFFER, 0);
    calls().bind(GL_ELEMENT_ARRAY_BUFFER, 0);
    glPopClientAttrib();
    glShadeModel(static_cast<GLenum>(FShading));
}

// Flat shading takes each triangle's colour from its last corner; the lights being directional and
// the viewer at infinity, that is the colour all three corners would have had with the face normal.
// A mesh with smoothing-group normals is shaded smoothly, its flat faces having copies of their own.
void TViewerMeshDrawing::Mesh(size_t Index) {
    if (Index >= FModel.FMesh.size() || !FModel.FMesh[Index]) return;
    TGL3dsMesh& mesh = *FModel.FMesh[Index];
    if (!FBuffers || Index >= FBuffers->Meshes.size() || drawnByLibrary(mesh)) {
        // The library draws a posed mesh from its own arrays, with smooth vertex normals.
        if (FBuffers) {
            calls().bind(GL_ARRAY_BUFFER, 0);
            calls().bind(GL_ELEMENT_ARRAY_BUFFER, 0);
            glShadeModel(static_cast<GLenum>(FShading));
        }
        mesh.Render();
        return;
    }
    glShadeModel(FBuffers->Meshes[Index].Smooth ? GL_SMOOTH : GL_FLAT);
    drawMesh(FBuffers->Meshes[Index]);
}

// The meshes in render order, as TGLAll3dsMesh::Render walks them.
void DrawViewerBuffers(TGLAll3dsMesh& Model, const TViewerBuffers& Buffers) {
    TViewerMeshDrawing drawing(Model, &Buffers);
    const size_t meshes = std::min(Model.FMesh.size(), static_cast<size_t>(std::max(Model.FNumMeshes, 0)));
    const size_t slots = std::min(meshes, Model.FRenderOrder.size());
    for (size_t slot = 0; slot < slots; ++slot)
        if (Model.FRenderOrder[slot] >= 0) drawing.Mesh(static_cast<size_t>(Model.FRenderOrder[slot]));
}
