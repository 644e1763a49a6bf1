#include "translator_test_util.h"

#include "d3dx9/effect/effect_gl_program.h"
#include "gl_test_context.h"

#include <GL/glcorearb.h>

namespace kl::test {

Translation Translate(const std::string& source, const std::map<std::string, std::string>& includes,
                      const std::string& path) {
    Translation t;
    d3dx9::hlsl::CompileOptions options;
    options.prologues.vertex = kTestVertexPrologue;
    options.prologues.fragment = kTestFragmentPrologue;
    options.preprocess.includeReader = [includes](const std::string&, const std::string& name,
                                                  std::string& resolved, std::string& contents) {
        auto it = includes.find(name);
        if (it == includes.end()) return false;
        resolved = name;
        contents = it->second;
        return true;
    };
    try {
        t.effect = d3dx9::hlsl::CompileEffect(path, source, options);
        t.ok = true;
    } catch (const d3dx9::hlsl::CompileError& e) {
        t.error = e.what();
    }
    return t;
}

std::string LinkPass(const d3dx9::hlsl::CompiledPass& pass) {
    std::string log;
    const unsigned program =
        d3dx9::LinkGlslProgram(pass.program.vertexSource, pass.program.fragmentSource, log);
    if (program) {
        d3dx9::DeleteGlslProgram(program);
        return "";
    }
    return log.empty() ? "link failed" : log;
}

std::vector<float> Rows(std::initializer_list<std::initializer_list<float>> rows) {
    std::vector<float> out;
    for (const auto& row : rows) out.insert(out.end(), row.begin(), row.end());
    return out;
}

namespace {

void UploadParameters(unsigned program, const d3dx9::hlsl::CompiledEffect& effect,
                      const d3dx9::hlsl::GeneratedPass& pass,
                      const std::map<std::string, std::vector<float>>& values) {
    for (const d3dx9::hlsl::GeneratedUniform& u : pass.uniforms) {
        for (const d3dx9::hlsl::EffectParameter& p : effect.parameters) {
            if (p.name != u.name) continue;
            auto it = values.find(p.name);
            const std::vector<float>& data = it != values.end() ? it->second : p.initialValue;
            d3dx9::UploadUniformValue(program,
                                      d3dx9::UniformValueLocations(program, u.glslName, p.type),
                                      p.type, data.data());
        }
    }
}

}  // namespace

std::vector<Pixel> RenderPass(const d3dx9::hlsl::CompiledEffect& effect, int width, int height,
                              const std::map<std::string, std::vector<float>>& values,
                              const std::string& technique) {
    size_t index = 0;
    while (!technique.empty() && index < effect.techniques.size() &&
           effect.techniques[index].name != technique)
        ++index;
    if (index == effect.techniques.size()) return {};
    const d3dx9::hlsl::CompiledPass& pass = effect.techniques[index].passes.at(0);
    std::string log;
    const unsigned program =
        d3dx9::LinkGlslProgram(pass.program.vertexSource, pass.program.fragmentSource, log);
    if (!program) return {};
    UploadParameters(program, effect, pass.program, values);

    GLuint fbo = 0, colour = 0, vao = 0, vbo = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &colour);
    glTextureStorage2D(colour, 1, GL_RGBA32F, width, height);
    glCreateFramebuffers(1, &fbo);
    glNamedFramebufferTexture(fbo, GL_COLOR_ATTACHMENT0, colour, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glViewport(0, 0, width, height);
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(-1, -1, -1, -1);
    glClear(GL_COLOR_BUFFER_BIT);

    const float quad[] = {-1, -1, 0.5f, 1, -1, 1, 0.5f, 1, 1, -1, 0.5f, 1, 1, 1, 0.5f, 1};
    glCreateVertexArrays(1, &vao);
    glCreateBuffers(1, &vbo);
    glNamedBufferData(vbo, sizeof quad, quad, GL_STATIC_DRAW);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    for (const d3dx9::hlsl::GeneratedInput& in : pass.program.inputs) {
        if (in.usage == d3dx9::hlsl::VertexUsage::Position) {
            glEnableVertexAttribArray(static_cast<GLuint>(in.location));
            glVertexAttribPointer(static_cast<GLuint>(in.location), 4, GL_FLOAT, GL_FALSE, 0,
                                  nullptr);
        } else {
            glVertexAttrib4f(static_cast<GLuint>(in.location), 0, 0, 0, 1);
        }
    }
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glFinish();

    std::vector<float> raw(static_cast<size_t>(width * height * 4));
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, raw.data());
    std::vector<Pixel> pixels;
    // With the upper-left clip origin, GL row 0 holds the top of the picture.
    for (size_t i = 0; i < raw.size(); i += 4)
        pixels.push_back(Pixel{raw[i], raw[i + 1], raw[i + 2], raw[i + 3]});

    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &colour);
    d3dx9::DeleteGlslProgram(program);
    return pixels;
}

}  // namespace kl::test
