#pragma once

// Texts the upload tool shows on its hint labels and buttons.
namespace texts {

constexpr wchar_t kNetworkProblem[] = L"请检测网络环境是否正常!";
constexpr wchar_t kWrongCredentials[] = L"请输入正确的用户名和密码!";
constexpr wchar_t kBadData[] = L"数据异常!";
constexpr wchar_t kNotRecordsAdministrator[] = L"非学校学籍管理员用户不能登录!";
constexpr wchar_t kEmptyCredentials[] = L"用户名和密码不能为空!";

constexpr wchar_t kNoArchiveServer[] = L"系统连接失败，请稍候再试";
constexpr wchar_t kEmptyFileNumber[] = L"电子档案拍照上传号或学生注册码不能为空！";
constexpr wchar_t kWrongFileNumber[] = L"请输入您学校学生正确的电子档案拍照上传号或学生注册码！";
constexpr wchar_t kNotOwnStudent[] = L"当前学籍管理员不能上传非本学校学生的档案!";
constexpr wchar_t kBadGrade[] = L"服务器返回的年级数据异常!";

constexpr wchar_t kNoPhoto[] = L"请选择要上传的档案图片!";
constexpr wchar_t kWrongPhotoType[] = L"请选择图片格式(*.jpeg;*.jpg;*.png)文件!";
constexpr wchar_t kUploadFailed[] = L"上传失败，请点击重新上传!";
constexpr wchar_t kUploadButton[] = L"上传图片";
constexpr wchar_t kUploadAgainButton[] = L"重新上传";
constexpr wchar_t kUploadSucceeded[] = L"上传成功√";
constexpr wchar_t kUploadProgressFormat[] = L"已完成:%d%%";

// The batch window's row states, counter and summary.
constexpr wchar_t kBatchWaiting[] = L"等待上传";
constexpr wchar_t kBatchSending[] = L"上传中…";
constexpr wchar_t kBatchUploaded[] = L"已上传";
constexpr wchar_t kBatchDuplicateNumber[] = L"上传号重复";
constexpr wchar_t kBatchEmptyNumber[] = L"上传号为空";
constexpr wchar_t kBatchNumberTooLong[] = L"上传号过长";
constexpr wchar_t kBatchCounterFormat[] = L"第 %d / %d 张";
constexpr wchar_t kBatchSummaryFormat[] = L"上传成功 %d 张，失败 %d 张，未上传 %d 张";
constexpr wchar_t kBatchEmptyFolder[] = L"文件夹中没有 JPG、JPEG 或 PNG 照片";

}  // namespace texts
